#include "engine/hpgl/GlyphSet.h"

#include "engine/base/NumberText.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tervane {

namespace {

std::vector<std::string_view> splitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',' || text[i] == '\n' || text[i] == '\r') {
            // CR LF is one line break, not an empty field between two.
            const bool crlf = i < text.size() && text[i] == '\n' && i > 0 && text[i - 1] == '\r';
            if (!crlf)
                fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    // A final line break leaves one empty field behind it.
    if (!fields.empty() && fields.back().empty())
        fields.pop_back();
    return fields;
}

bool isPenUpMarker(std::string_view field)
{
    const std::size_t first = field.find_first_not_of(' ');
    return first != std::string_view::npos && field.substr(first, 2) == "SP";
}

} // namespace

std::string glyphFileName(char c)
{
    if (c == '.')
        return "DIAN0.zk";
    if (c == '-')
        return "JIAN0.zk";
    return std::string(2, c) + ".zk";
}

Glyph parseGlyph(std::string_view text)
{
    const std::vector<std::string_view> fields = splitFields(text);
    Glyph glyph;
    bool penUp = false;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (isPenUpMarker(fields[i])) {
            penUp = true;
            continue;
        }
        glyph.push_back({leadingNumber(fields[i]), leadingNumber(fields[i + 1]), penUp});
        penUp = false;
    }
    return glyph;
}

GlyphSet::GlyphSet(std::vector<std::string> folders) : folders_(std::move(folders)) {}

GlyphSet GlyphSet::standard() { return GlyphSet(resourceFolders()); }

const Glyph* GlyphSet::find(char c)
{
    auto it = cache_.find(c);
    if (it == cache_.end())
        it = cache_.emplace(c, load(glyphFileName(c))).first;
    return it->second ? &*it->second : nullptr;
}

std::optional<Glyph> GlyphSet::load(const std::string& fileName) const
{
    const auto path = findResource(fileName, folders_);
    if (!path)
        return std::nullopt;
    std::ifstream in(*path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseGlyph(text);
}

} // namespace tervane
