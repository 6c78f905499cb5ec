#pragma once
// The import window with its shared dialogs over a simulated meter whose
// logger memory a test fills, and helpers that run its commands to the end
// answering the message boxes.

#include "find_child.h"
#include "ui_wait.h"

#include "base/busy_flag.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/line_colour_dialog.h"
#include "graph/ui/save_file_chooser.h"
#include "import/logger_image_builder.h"
#include "import/ui/import_form.h"
#include "import/ui/session_grid.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulation_options.h"

#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ostrel::test {

// A session of single DC volt readings, one a second; value(i) is the count
// (range 1: count / 100 volts).
template <class Value> LoggerSessionData SingleSession(std::size_t n, Value value) {
    LoggerSessionData s{2, 0, 0x03, {}};
    for (std::size_t i = 0; i < n; ++i) {
        LoggerValue v;
        v.range = 1;
        v.raw = static_cast<std::uint16_t>(value(i));
        s.values.push_back(v);
    }
    return s;
}

// A dual AC volts and hertz session of n readings.
inline LoggerSessionData DualSession(std::size_t n) {
    LoggerSessionData s{1, 0, 0x83, {}};
    for (std::size_t i = 0; i < n; ++i) {
        LoggerValue main, sub;
        main.range = 2;
        main.raw = static_cast<std::uint16_t>(2300 + i % 7);
        sub.range = 1;
        sub.raw = static_cast<std::uint16_t>(5000 - i % 3);
        s.values.push_back(main);
        s.values.push_back(sub);
    }
    return s;
}

class ImportRig {
  public:
    explicit ImportRig(const std::string& simulation = "logger,latency=0") {
        std::string error;
        auto options = ParseSimulationOptions(simulation, &error);
        EXPECT_TRUE(options) << error;
        meter = std::make_unique<SimulatedMeter>(*options);
        EXPECT_TRUE(AttachSimulatedLogger(*meter, &error)) << error;
        ImportWindowServices services;
        services.backend = meter.get();
        services.progress = &progress;
        services.exportDialog = &exportDialog;
        services.lineColour = &lineColour;
        services.busy = &busy;
        progress.setBusyFlag(&busy);
        form = std::make_unique<TFormImport>(services);
    }
    ~ImportRig() { form.reset(); }

    // Serve these sessions from the meter's logger memory.
    void serve(const std::vector<LoggerSessionData>& sessions, LoggerFaults faults = {}) {
        std::string error;
        auto image = BuildLoggerImage(sessions, &error);
        ASSERT_TRUE(image) << error;
        meter->setLoggerResponder(std::make_shared<SimulatedLoggerMemory>(*image, faults));
    }

    // Run Import to its end; the confirmation is answered with confirm, every
    // other box with OK. Returns the boxes shown.
    std::vector<MessageRequest> download(int confirm = QMessageBox::Yes) {
        ScopedMessageAnswerer answers([confirm](const MessageRequest& r) {
            return r.caption == "Warning[W8010]" ? confirm : int(QMessageBox::Ok);
        });
        form->sbtnImportClick();
        EXPECT_TRUE(testing::ProcessUntil([this] { return idle(); }, 30000));
        return answers.requests();
    }

    // Nothing runs and nothing is busy.
    bool idle() const { return !form->importRunning() && !busy.isSet(); }

    // The window's graph.
    GraphAdapter* graph() const { return testing::Child<GraphAdapter>(*form, "PEGraph"); }
    // The tabs of the sessions' pages.
    QTabWidget* pages() const { return testing::Child<QTabWidget>(*form, "PageControl"); }

    // Texts of a label.
    static std::string text(const QLabel* label) { return label->text().toStdString(); }

    BusyFlag busy; // the program's, which the window and its progress dialog share
    TMsgForm progress;
    TDlgExportForm exportDialog;
    TdlgGraphLineColor lineColour;
    std::unique_ptr<SimulatedMeter> meter;
    std::unique_ptr<TFormImport> form;
};

// The captions of the boxes shown.
inline std::vector<std::string> Captions(const std::vector<MessageRequest>& requests) {
    std::vector<std::string> captions;
    for (const auto& r : requests)
        captions.push_back(r.caption.toStdString());
    return captions;
}

} // namespace ostrel::test
