// Arbitrary bytes through the XML reader (plain and compressed), the writer
// and the string table. Reading what the writer wrote must give the same
// tree back.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "platform/AssetNames.h"
#include "platform/StringTable.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace {

bool SameTree(TXmlNode& a, TXmlNode& b)
{
    if (a.GetName() != b.GetName() || a.GetText() != b.GetText() ||
        a.GetAttributeCount() != b.GetAttributeCount() || a.GetChildCount() != b.GetChildCount())
        return false;
    TString an, av, bn, bv;
    bool aq = false, bq = false;
    a.BeginAttributes();
    b.BeginAttributes();
    while (a.NextAttribute(an, av, aq)) {
        b.NextAttribute(bn, bv, bq);
        if (an != bn || av != bv || aq != bq)
            return false;
    }
    TXmlNode* ac = nullptr;
    TXmlNode* bc = nullptr;
    a.BeginChildren();
    b.BeginChildren();
    while (a.NextChild(an, ac)) {
        b.NextChild(bn, bc);
        if (!SameTree(*ac, *bc))
            return false;
    }
    return true;
}

void CheckRoundTrip(TXmlNode& root)
{
    TString name;
    TXmlNode* child = nullptr;
    root.BeginChildren();
    while (root.NextChild(name, child)) {
        TString text;
        child->ToString(text);
        TXmlNode again;
        ParseXmlText(&again, text.c_str());
        TXmlNode* copy = nullptr;
        again.BeginChildren();
        if (again.GetChildCount() != 1 || !again.GetText().IsEmpty() ||
            !again.NextChild(name, copy) || !SameTree(*child, *copy))
            abort();
    }
}

void PutLe32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char(v >> (8 * i)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Plain parse, whatever the first bytes are.
    {
        TXmlNode root;
        TGetCharString source(data, size);
        ParseXml(&root, source, "fuzz");
        CheckRoundTrip(root);
    }
    // As a document in memory: compressed when it begins with the magic.
    {
        TXmlNode root;
        ParseXmlText(&root, data, size);
        CheckRoundTrip(root);
    }
    // Wrapped in a compressed block; the first byte picks honest or lying
    // header sizes.
    if (size > 0 && size < 16384) {
        uLongf packedSize = compressBound(uLong(size));
        std::vector<Bytef> packed(packedSize);
        if (compress(packed.data(), &packedSize, data, uLong(size)) == Z_OK) {
            uint8_t mode = data[0] & 3;
            std::string block = "ZXML";
            PutLe32(block, uint32_t(packedSize) + (mode == 1 ? 1000u : 0u));
            PutLe32(block, mode == 2 ? uint32_t(size) / 2 : mode == 3 ? uint32_t(size) + 7 : uint32_t(size));
            block.append(reinterpret_cast<const char*>(packed.data()), packedSize);
            TXmlNode root;
            ParseXmlText(&root, block.data(), block.size());
            CheckRoundTrip(root);
        }
    }
    // As a string table.
    {
        RegisterMemoryFile(TString("fuzz/table.xml"), data, uint32_t(size));
        TStringTable table;
        table.Load(TString("fuzz/table.xml"));
        std::vector<TString> labels;
        table.GetFlashLabels(labels);
        TString text;
        for (const TString& label : labels)
            table.GetString(text, label, TString("1"), TString("%%"), TString("%FLASH_a%"));
        table.GetString(text, TString("a"), TString("x"));
        RegisterMemoryFile(TString("fuzz/table.xml"), nullptr, 0);
    }
    return 0;
}
