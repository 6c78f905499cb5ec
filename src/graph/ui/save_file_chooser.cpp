#include "graph/ui/save_file_chooser.h"

#include <QFileDialog>

namespace ostrel {
namespace {

SaveFileAnswerer& SaveAnswerer() {
    static SaveFileAnswerer answerer;
    return answerer;
}

} // namespace

SaveFileAnswerer SetSaveFileAnswerer(SaveFileAnswerer answerer) {
    SaveFileAnswerer previous = std::move(SaveAnswerer());
    SaveAnswerer() = std::move(answerer);
    return previous;
}

QString ChooseSaveFile(const SaveFileRequest& request) {
    if (SaveAnswerer())
        return SaveAnswerer()(request);
    QFileDialog dialog(request.owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    const auto suffixFor = [&request](const QString& filter) {
        const qsizetype i = request.filters.indexOf(filter);
        return i >= 0 && i < request.suffixes.size() ? request.suffixes[i] : QString();
    };
    if (!request.filters.isEmpty()) {
        dialog.selectNameFilter(request.filters.front());
        dialog.setDefaultSuffix(suffixFor(request.filters.front()));
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &suffixFor](const QString& filter) {
                         dialog.setDefaultSuffix(suffixFor(filter));
                     });
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace ostrel
