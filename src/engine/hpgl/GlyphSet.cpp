#include "engine/hpgl/GlyphSet.h"

#include "engine/base/NumberText.h"
#include "engine/base/RegularFileRead.h"

#include <cmath>

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

std::string pathIn(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool usable(const Glyph& glyph)
{
    if (glyph.empty())
        return false;
    for (const GlyphPoint& p : glyph)
        if (!std::isfinite(p.a) || !std::isfinite(p.b))
            return false;
    return true;
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
    return it->second.glyph ? &*it->second.glyph : nullptr;
}

std::string GlyphSet::faultOf(char c) const
{
    const auto it = cache_.find(c);
    return it == cache_.end() ? std::string() : it->second.fault;
}

GlyphSet::Entry GlyphSet::load(const std::string& fileName) const
{
    Entry entry;
    for (const std::string& folder : folders_) {
        const std::string path = pathIn(folder, fileName);
        RegularFileBytes file = readRegularFile(path, kLargestGlyphFile);
        const std::string& bytes = file.bytes;
        switch (file.fault) {
        case ReadFault::Missing:
            continue;
        case ReadFault::NotRegular:
            entry.fault = "字形文件 " + path + " 不是普通文件（管道、设备或文件夹），不予读取";
            return entry;
        case ReadFault::TooLarge:
            entry.fault = "字形文件 " + path + " 大于 64 KB，不予读取";
            return entry;
        case ReadFault::Unreadable:
            entry.fault = "字形文件 " + path + " 无法读取";
            return entry;
        case ReadFault::None:
            break;
        }
        Glyph glyph = parseGlyph(bytes);
        if (!usable(glyph)) {
            entry.fault = "字形文件 " + path + " 已损坏（没有可用的笔画）";
            return entry;
        }
        entry.glyph = std::move(glyph);
        return entry;
    }
    entry.fault = "找不到字形文件 " + fileName + "（程序的 glyphs 文件夹中应有）";
    return entry;
}

} // namespace tervane
