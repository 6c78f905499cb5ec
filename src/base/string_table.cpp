#include "base/string_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ostrel {
namespace {

struct Entry {
    int id;
    const char* text;
};

constexpr Entry kEntries[] = {
#include "strings_data.inc"
};

constexpr bool SortedById() {
    for (std::size_t i = 1; i < std::size(kEntries); ++i)
        if (kEntries[i - 1].id >= kEntries[i].id)
            return false;
    return true;
}
static_assert(SortedById(), "resources/strings.tsv must list each id once, in ascending order");

const Entry* Find(int id) {
    auto it = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                               [](const Entry& e, int v) { return e.id < v; });
    return (it != std::end(kEntries) && it->id == id) ? it : nullptr;
}

} // namespace

std::string_view Text(int id) {
    const Entry* e = Find(id);
    return e ? std::string_view(e->text) : std::string_view();
}

bool HasText(int id) {
    return Find(id) != nullptr;
}

std::string NumberedCaption(int formatId, int textId) {
    std::string format(Text(formatId));
    const std::string number = std::to_string(textId);
    auto pos = format.find("%d");
    if (pos == std::string::npos)
        return format + number;
    return format.replace(pos, 2, number);
}

std::string NumberedLine(int formatId, int textId) {
    return NumberedCaption(formatId, textId) + ": " + std::string(Text(textId));
}

std::string FormatText(int id, std::initializer_list<std::string_view> args) {
    const std::string_view format = Text(id);
    std::string text;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 's' || format[i + 1] == 'd') && arg != args.end()) {
            text += *arg++;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::string NumberedLine(int formatId, int textId, std::initializer_list<std::string_view> args) {
    return NumberedCaption(formatId, textId) + ": " + FormatText(textId, args);
}

} // namespace ostrel
