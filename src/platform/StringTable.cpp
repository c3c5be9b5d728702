#include "platform/StringTable.h"

#include <cstring>
#include <string>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/Log.h"
#include "platform/XmlParser.h"
#include "platform/Zxml.h"

namespace {

constexpr uint32_t kMaxTableFileSize = 64u << 20;
constexpr char kMissing[] = "#####";

TString ToT(std::string_view text)
{
    return TString(text.data(), uint32_t(text.size()));
}

// The text of the next cell at or after `from` in the row ending at `end`:
// from the first ">" after "<Data" to the next "<". The search stays within
// the row (the "<" may be the one that starts the next row), so a damaged
// file costs linear time.
bool ReadCell(std::string_view text, size_t& from, size_t end, std::string& cell)
{
    std::string_view row = text.substr(0, end);
    size_t data = row.find("<Data", from);
    if (data == std::string_view::npos)
        return false;
    size_t open = row.find('>', data + 5);
    if (open == std::string_view::npos)
        return false;
    size_t close = text.substr(0, end + 1).find('<', open + 1);
    if (close == std::string_view::npos)
        return false;
    cell.assign(row.substr(open + 1, close - open - 1));
    DecodeXmlEntities(cell);
    from = close + 1;
    return true;
}

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

} // namespace

bool TStringTable::Load(const TString& name)
{
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file)
        return false;
    FileSeek(file, 0, kSeekEnd);
    uint32_t size = FileGetSize(file);
    FileSeek(file, 0, kSeekStart);
    if (size > kMaxTableFileSize) {
        WriteLog("String table %s: %u bytes is too large; not loaded", name.c_str(), size);
        FileClose(file);
        return false;
    }
    std::string bytes(size, '\0');
    uint32_t read = size ? FileRead(file, bytes.data(), size) : 0;
    bytes.resize(read);
    FileClose(file);

    if (IsZxmlBlock(bytes.data(), bytes.size())) {
        std::string plain;
        InflateZxml(bytes.data(), bytes.size(), plain, name.c_str());
        bytes.swap(plain);
    }
    // Text ends at the first NUL, as a C string would.
    size_t length = strnlen(bytes.data(), bytes.size());
    AddRows(std::string_view(bytes.data(), length));
    return true;
}

bool TStringTable::Reload(const TString& name)
{
    mTable.clear();
    return Load(name);
}

// A row runs from its "<Row" to the next one; its first two "<Data" cells
// give the label and the text. Cells are read within their row.
void TStringTable::AddRows(std::string_view text)
{
    size_t row = text.find("<Row");
    while (row != std::string_view::npos) {
        size_t next = text.find("<Row", row + 4);
        size_t end = next == std::string_view::npos ? text.size() : next;
        size_t at = row;
        std::string label;
        std::string value;
        if (ReadCell(text, at, end, label) && ReadCell(text, at, end, value))
            mTable[ToT(label)] = ToT(value);
        row = next;
    }
}

const TString* TStringTable::Find(const TString& label) const
{
    auto it = mTable.find(label);
    return it == mTable.end() ? nullptr : &it->second;
}

bool TStringTable::Expand(const TString& label, int count, const TString* arguments,
                          std::string& out) const
{
    const TString* found = Find(label);
    if (!found)
        return false;
    if (!arguments)
        count = 0;
    std::string_view text(found->c_str());
    size_t i = 0;
    while (i < text.size()) {
        size_t percent = text.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, percent - i));
        size_t close = text.find('%', percent + 1);
        if (close == std::string_view::npos) {
            // No closing "%": the rest is plain text.
            out.append(text.substr(percent));
            break;
        }
        std::string_view key = text.substr(percent + 1, close - percent - 1);
        i = close + 1;

        if (key.empty()) {
            out.push_back('%');
        } else if (AllDigits(key)) {
            if (key.size() > 9)
                return false;
            int n = std::stoi(std::string(key));
            if (n < 1 || n > count)
                return false;
            std::string_view arg(arguments[n - 1].c_str());
            if (arg.empty() || arg[0] != '%') {
                out.append(arg);
            } else if (arg == "%%") {
                out.push_back('%');
            } else if (arg.size() > 2 && arg.back() == '%') {
                const TString* ref = Find(ToT(arg.substr(1, arg.size() - 2)));
                if (!ref)
                    return false;
                out.append(ref->c_str());
            } else {
                return false;
            }
        } else {
            const TString* ref = Find(ToT(key));
            if (!ref)
                return false;
            out.append(ref->c_str());
        }
    }
    return true;
}

bool TStringTable::Lookup(TString& text, const TString& label, int count,
                          const TString* arguments) const
{
    std::string out;
    if (!Expand(label, count, arguments, out)) {
        WriteLog(" ##### : Missing string for label '%s'", label.c_str());
        text = kMissing;
        return false;
    }
    text = ToT(out);
    return true;
}

bool TStringTable::GetString(TString& text, const TString& label, const TString& a1,
                             const TString& a2, const TString& a3, const TString& a4,
                             const TString& a5) const
{
    const TString arguments[5] = {a1, a2, a3, a4, a5};
    return Lookup(text, label, 5, arguments);
}

void TStringTable::GetFlashLabels(std::vector<TString>& labels) const
{
    static const char kPrefix[] = "FLASH_";
    for (auto it = mTable.lower_bound(TString(kPrefix)); it != mTable.end(); ++it) {
        if (strncmp(it->first.c_str(), kPrefix, sizeof kPrefix - 1) != 0)
            break;
        labels.push_back(it->first);
    }
}

void LoadExtraStringTables(TStringTable& table)
{
    for (const char* prefix : {"user:", "common:"}) {
        size_t skip = strlen(prefix);
        TString name;
        while (FindRegisteredFile(TString(prefix), name, false)) {
            const char* rest = name.c_str() + skip;
            if (strncmp(rest, "string", 6) == 0 && strstr(name.c_str(), ".xml"))
                table.Load(name);
        }
    }
}
