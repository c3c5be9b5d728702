// The two description readers of animated textures: XML and the tagged
// binary .anm form. The format is described in docs/sprites.md.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/FileData.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/AnimatedTexture.h"

namespace {

// Descriptions larger than this are refused before they are read.
constexpr uint32_t kMaxAnmSize = 16u << 20;

TString Attribute(const TXmlNode* node, const char* name)
{
    TString value;
    node->GetAttribute(value, name);
    return value;
}

int32_t IntAttribute(const TXmlNode* node, const char* name)
{
    return Attribute(node, name).ToInt();
}

// Up to `count` numbers separated by blanks, from the start of text, into
// values; values not given keep what they held.
void ReadNumbers(const TString& text, float* values, int count)
{
    const char* p = text.c_str();
    for (int i = 0; i < count && *p; ++i) {
        values[i] = float(std::atof(p));
        p = std::strchr(p, ' ');
        if (!p)
            break;
        while (*p == ' ')
            ++p;
    }
}

// Negative sizes in a description are read as 0 (not drawn).
int32_t FrameSize(int32_t value, const TString& path)
{
    if (value >= 0)
        return value;
    WriteLog("Animated texture %s: frame size %d read as 0", path.c_str(), value);
    return 0;
}

// The children of node named name, in document order.
std::vector<TXmlNode*> ChildrenNamed(TXmlNode* node, const char* name)
{
    std::vector<TXmlNode*> out;
    TString childName;
    TXmlNode* child = nullptr;
    node->BeginChildren();
    while (node->NextChild(childName, child))
        if (childName == name)
            out.push_back(child);
    return out;
}

void ReadXmlFrame(TXmlNode* node, const TAnimatedFrame* previous, TAnimatedFrame& frame, const TString& path)
{
    frame.x = IntAttribute(node, "x");
    frame.y = IntAttribute(node, "y");
    frame.w = FrameSize(IntAttribute(node, "w"), path);
    frame.h = FrameSize(IntAttribute(node, "h"), path);
    frame.name = Attribute(node, "name");
    if (!Attribute(node, "regx").IsEmpty()) {
        frame.regx = IntAttribute(node, "regx");
        frame.regy = IntAttribute(node, "regy");
    } else if (previous) {
        frame.regx = previous->regx;
        frame.regy = previous->regy;
    }
    const TString xform = Attribute(node, "xform");
    if (!xform.IsEmpty())
        ReadNumbers(xform, frame.transform, 6);
    else if (previous)
        std::copy(previous->transform, previous->transform + 6, frame.transform);
    for (TXmlNode* anchorNode : ChildrenNamed(node, "anchor")) {
        TFrameAnchor anchor;
        anchor.name = Attribute(anchorNode, "name");
        anchor.x = IntAttribute(anchorNode, "x");
        anchor.y = IntAttribute(anchorNode, "y");
        frame.anchors.push_back(anchor);
    }
}

// Reads little-endian values from a byte buffer; every read checks the
// bytes left, and the first short read fails the whole reader.
class TAnmReader {
public:
    TAnmReader(const uint8_t* data, size_t size) : mData(data), mLeft(size) {}

    bool Ok() const { return mOk; }
    size_t Left() const { return mLeft; }

    bool Tag(const char* tag)
    {
        if (!Need(4) || std::memcmp(mData, tag, 4) != 0)
            return false;
        Skip(4);
        return true;
    }

    int32_t Int()
    {
        if (!Need(4))
            return 0;
        uint32_t v = uint32_t(mData[0]) | uint32_t(mData[1]) << 8 | uint32_t(mData[2]) << 16 |
                     uint32_t(mData[3]) << 24;
        Skip(4);
        return int32_t(v);
    }

    float Float()
    {
        int32_t bits = Int();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    TString String()
    {
        int32_t n = Int();
        if (n < 1 || !mOk)
            return TString();
        if (!Need(size_t(n)))
            return TString();
        TString s(reinterpret_cast<const char*>(mData), uint32_t(n));
        Skip(size_t(n));
        return s;
    }

    // A count of records of at least minBytes each that the bytes left can
    // hold; a larger one fails the reader. Negative counts read as 0.
    int32_t Count(size_t minBytes)
    {
        int32_t n = Int();
        if (n <= 0)
            return 0;
        if (size_t(n) > mLeft / minBytes) {
            mOk = false;
            return 0;
        }
        return n;
    }

private:
    bool Need(size_t n)
    {
        if (mOk && n <= mLeft)
            return true;
        mOk = false;
        return false;
    }
    void Skip(size_t n)
    {
        mData += n;
        mLeft -= n;
    }

    const uint8_t* mData;
    size_t mLeft;
    bool mOk = true;
};

// Smallest frame record: six ints, six floats, a string length and an
// anchor count. Smallest anchor: two ints and a string length.
constexpr size_t kMinFrameBytes = 6 * 4 + 6 * 4 + 4 + 4;
constexpr size_t kMinAnchorBytes = 4 + 4 + 4;

bool ReadFile(const TString& path, std::vector<uint8_t>& bytes)
{
    TFileHandle* file = OpenAssetFile(path, kFileReadBinary);
    if (!file)
        return false;
    const uint32_t size = FileGetSize(file);
    if (size > kMaxAnmSize) {
        WriteLog("Animated texture %s: %u bytes, larger than allowed", path.c_str(), size);
        FileClose(file);
        return false;
    }
    bytes.resize(size);
    const uint32_t got = size ? FileRead(file, bytes.data(), size) : 0;
    FileClose(file);
    bytes.resize(got);
    return true;
}

} // namespace

bool TAnimatedTexture::Load(const TString& image, const TString& mask)
{
    const TString& name = mDesc->descriptionName;
    TString path = name;
    if (!AssetExists(path)) {
        path = name + ".xml";
        if (!AssetExists(path)) {
            path = name + ".anm";
            if (!AssetExists(path)) {
                WriteLog("Animated texture %s: no description", name.c_str());
                return false;
            }
        }
    }
    bool loaded = false;
    if (path.Find(".xml", TString::kNoCase) >= 0)
        loaded = LoadXml(path);
    else if (path.Find(".anm", TString::kNoCase) >= 0)
        loaded = LoadAnm(path);
    else
        WriteLog("Animated texture %s: neither .xml nor .anm", path.c_str());
    if (!loaded)
        return false;

    const int32_t slash = std::max(name.Find('/', TString::kBackwards), name.Find('\\', TString::kBackwards));
    mDesc->folder = slash >= 0 ? name.Mid(0, uint32_t(slash) + 1) : TString();
    if (!image.IsEmpty())
        mDesc->imageName = image;
    if (!mask.IsEmpty())
        mDesc->maskName = mask;
    return true;
}

bool TAnimatedTexture::LoadXml(const TString& path)
{
    TXmlNode root;
    if (!LoadXmlFile(&root, path)) {
        WriteLog("Animated texture %s: cannot be read", path.c_str());
        return false;
    }
    // The sequence is a top-level element, or the child of one.
    TXmlNode* sequence = root.FindChild("sequence");
    TString topName;
    TXmlNode* top = nullptr;
    root.BeginChildren();
    while (!sequence && root.NextChild(topName, top))
        sequence = top->FindChild("sequence");
    if (!sequence) {
        WriteLog("Animated texture %s: no sequence element", path.c_str());
        return false;
    }
    TAnimatedTextureData& d = *mDesc;
    bool ok = true;
    d.sequenceName = Attribute(sequence, "name");
    d.source = Attribute(sequence, "source");

    if (TXmlNode* img = sequence->FindChild("img")) {
        if (!Attribute(img, "regx").IsEmpty()) {
            d.imageRegX = IntAttribute(img, "regx");
            d.imageRegY = IntAttribute(img, "regy");
        }
        ReadNumbers(Attribute(img, "xform"), d.imageTransform, 4);
        d.imageWidth = IntAttribute(img, "w");
        d.imageHeight = IntAttribute(img, "h");
        d.imageName = Attribute(img, "name");
        d.maskName = Attribute(img, "mask");
    } else {
        WriteLog("Animated texture %s: no img element", path.c_str());
        ok = false;
    }

    std::vector<TXmlNode*> frameNodes;
    if (TXmlNode* list = sequence->FindChild("framelist"))
        frameNodes = ChildrenNamed(list, "frame");
    if (frameNodes.empty()) {
        WriteLog("Animated texture %s: no frames", path.c_str());
        ok = false;
    } else {
        d.frames.assign(frameNodes.size(), TAnimatedFrame());
        for (size_t i = 0; i < frameNodes.size(); ++i) {
            TAnimatedFrame& frame = d.frames[i];
            ReadXmlFrame(frameNodes[i], i > 0 ? &d.frames[i - 1] : nullptr, frame, path);
            d.widestFrame = std::max(d.widestFrame, frame.w);
            d.tallestFrame = std::max(d.tallestFrame, frame.h);
        }
    }

    if (TXmlNode* script = sequence->FindChild("script")) {
        d.script = Attribute(script, "luascript");
        if (d.script.IsEmpty())
            d.script = script->GetText();
    } else {
        MakeDefaultScript();
    }
    return ok;
}

bool TAnimatedTexture::LoadAnm(const TString& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes)) {
        WriteLog("Animated texture %s: cannot be opened", path.c_str());
        return false;
    }
    TAnmReader in(bytes.data(), bytes.size());
    TAnimatedTextureData d = *mDesc;
    const char* fault = nullptr;

    if (!in.Tag("ANIM"))
        fault = "no ANIM tag";
    if (!fault) {
        in.Int();
        in.Int();
        d.sequenceName = in.String();
        d.source = in.String();
        if (!in.Tag("IMGN"))
            fault = "no IMGN tag";
    }
    if (!fault) {
        d.imageRegX = in.Int();
        d.imageRegY = in.Int();
        d.imageWidth = in.Int();
        d.imageHeight = in.Int();
        for (float& v : d.imageTransform)
            v = in.Float();
        d.imageName = in.String();
        d.maskName = in.String();
        if (!in.Tag("FRMS"))
            fault = "no FRMS tag";
    }
    if (!fault) {
        const int32_t count = in.Count(kMinFrameBytes);
        d.frames.clear();
        if (count > 0) {
            d.widestFrame = 0;
            d.tallestFrame = 0;
        }
        for (int32_t i = 0; i < count && in.Ok(); ++i) {
            TAnimatedFrame frame;
            frame.regx = in.Int();
            frame.regy = in.Int();
            frame.x = in.Int();
            frame.y = in.Int();
            frame.w = FrameSize(in.Int(), path);
            frame.h = FrameSize(in.Int(), path);
            for (float& v : frame.transform)
                v = in.Float();
            frame.name = in.String();
            const int32_t anchors = in.Count(kMinAnchorBytes);
            for (int32_t a = 0; a < anchors && in.Ok(); ++a) {
                TFrameAnchor anchor;
                anchor.x = in.Int();
                anchor.y = in.Int();
                anchor.name = in.String();
                frame.anchors.push_back(anchor);
            }
            d.widestFrame = std::max(d.widestFrame, frame.w);
            d.tallestFrame = std::max(d.tallestFrame, frame.h);
            d.frames.push_back(std::move(frame));
        }
        if (!in.Ok())
            fault = "truncated or corrupt frame list";
    }
    if (fault) {
        WriteLog("Animated texture %s: %s", path.c_str(), fault);
        return false;
    }

    const TString descriptionName = mDesc->descriptionName;
    *mDesc = std::move(d);
    mDesc->descriptionName = descriptionName;
    if (in.Left() >= 4 && in.Tag("SCRP")) {
        mDesc->script = in.String();
        if (!in.Ok()) {
            WriteLog("Animated texture %s: truncated script", path.c_str());
            return false;
        }
    } else {
        MakeDefaultScript();
    }
    return true;
}
