#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

// The pure text side of importing delimited points: encodings, lines,
// delimiters and the header, with no files and no records.

struct DecodedText {
    std::string utf8;
    bool gbk = false;          // the bytes were GBK (detected or told)
    bool byteOrderMark = false;
    std::string error;         // the bytes are not text the import reads
};

// UTF-8 when the bytes start with its byte order mark (which is dropped)
// or are valid UTF-8 throughout; GBK otherwise. `force` ("utf-8" or "gbk")
// overrides the guess. UTF-16 is refused with a reason.
DecodedText decodeText(std::string_view bytes, std::optional<bool> forceGbk = std::nullopt);

bool isValidUtf8(std::string_view bytes);

// Lines split at LF, a CR before it dropped (CRLF files), and a CR alone
// ends a line too.
std::vector<std::string> splitLines(std::string_view text);

// The fields of one line. ' ' splits at any run of blanks and tabs and
// ignores them at the ends; the others split at each delimiter, trim
// blanks around each field and take a field in double quotes whole ("" is
// one quote).
std::vector<std::string> splitFields(std::string_view line, char delimiter);

// The delimiter the sample lines agree on: tab, semicolon, comma or blanks,
// judged by how many lines split into the same number (3 or more) of
// fields without a field that holds two numbers side by side ("1,5 2,5"
// split at commas). Ties go in that order.
char detectDelimiter(const std::vector<std::string>& sample);

// The whole field is one decimal number ("12", "-3.5", ".5", "1e3").
bool isNumberField(std::string_view field);
// The field is a number written with a decimal comma ("12,5", "-0,25").
bool isDecimalCommaNumber(std::string_view field);

// The first line is a header when none of its fields is a number and one
// of them stands where the next line has a number.
bool looksLikeHeader(const std::vector<std::string>& first, const std::vector<std::string>& second);

// The delimiter as the report names it.
std::string delimiterName(char delimiter);

} // namespace tervane
