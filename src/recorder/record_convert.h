#pragma once
// Conversion of a record file (any layout) into a text export of all its
// pages or into a ".g53" record file, streamed entry by entry: memory use
// stays constant however long the file is.

#include "recorder/record_file.h"

#include <string>

namespace ostrel {

enum class ConvertOutput { Csv, G53 };

struct ConvertResult {
    // 0 when all went well; else the number of the message to show: 9004 (the
    // input cannot be read), 9005 (the output cannot be written), or the
    // cut-short text (the complete entries were converted).
    int messageId = 0;
    LoadResult load;
};

ConvertResult ConvertRecordFile(const std::string& input, const std::string& output,
                                ConvertOutput kind);

} // namespace ostrel
