#include "script/LuaStringPack.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lauxlib.h"
#include "lualib.h"
#include "platform/Numbers.h"
#include "script/LuaWide.h"

namespace {

// Counts and sizes in a format saturate here, so reading them never
// overflows; a count that large runs out of arguments or data long before.
constexpr uint32_t kMaxCount = 0x7fffffff;

// One item of a format string.
struct FormatItem {
    char code = 0;
    bool wide = false;      // "w" in front: the string codes work on units
    uint32_t number = 0;    // the decimal number after the code, 0 if none
    uint32_t count = 1;     // as a repeat count: 0 or absent reads as 1
    uint32_t fill = 0;      // "@N:F": the fill byte
};

// Walks a format string left to right; byte order marks are taken here.
class FormatReader {
public:
    FormatReader(lua_State* L, int arg) : m_L(L), m_arg(arg)
    {
        size_t len = 0;
        m_p = luaL_checklstring(L, arg, &len);
        m_end = m_p + len;
    }

    bool BigEndian() const { return m_bigEndian; }

    // False at the end of the format. Raises "bad code" for characters that
    // are no code of `codes`.
    bool Next(FormatItem& item, const char* codes)
    {
        item = FormatItem();
        while (m_p < m_end) {
            char c = *m_p++;
            switch (c) {
            case ' ': case '\t': case '\r': case '\n': case ',':
                continue;
            case '<': m_bigEndian = false; continue;
            case '>': m_bigEndian = true; continue;
            case '=': m_bigEndian = (std::endian::native == std::endian::big); continue;
            case 'w':
                if (!item.wide) {
                    item.wide = true;
                    continue;
                }
                break;
            default:
                break;
            }
            if (c == '\0' || !std::strchr(codes, c))
                BadCode(c);
            item.code = c;
            item.number = ReadNumber();
            item.count = item.number == 0 ? 1 : item.number;
            if (c == '@' && m_p < m_end && *m_p == ':') {
                ++m_p;
                item.fill = ReadNumber() & 0xff;
            }
            return true;
        }
        if (item.wide)
            BadCode('w');  // a "w" that names no code
        return false;
    }

private:
    uint32_t ReadNumber()
    {
        uint32_t value = 0;
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
            uint32_t digit = static_cast<uint32_t>(*m_p++ - '0');
            value = value > (kMaxCount - digit) / 10 ? kMaxCount : value * 10 + digit;
        }
        return value;
    }

    [[noreturn]] void BadCode(char c)
    {
        char message[] = "bad code `?'";
        message[10] = c ? c : '?';  // a NUL would cut the message
        luaL_argerror(m_L, m_arg, message);
        std::abort();  // luaL_argerror does not return
    }

    lua_State* m_L;
    int m_arg;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    bool m_bigEndian = false;
};

// Truncation toward zero through a signed 32-bit integer as the x86
// conversion does it: out of range, NaN and infinities give 0x80000000.
uint32_t TruncInt32(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return 0x80000000u;
    return static_cast<uint32_t>(static_cast<int32_t>(v));
}

// The same through a signed 64-bit integer: out of range gives
// 0x8000000000000000, whose low 32 bits are zero.
uint64_t TruncInt64(double v)
{
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
        return 0x8000000000000000ull;
    return static_cast<uint64_t>(static_cast<int64_t>(v));
}

// Double to float with IEEE rounding; values past the float range become
// infinities instead of being undefined.
float ToFloat(double v)
{
    constexpr double kOverflow = 0x1.ffffffp127;  // FLT_MAX plus half a step
    if (std::isfinite(v) && std::fabs(v) >= kOverflow)
        return v > 0 ? HUGE_VALF : -HUGE_VALF;
    return static_cast<float>(v);
}

// The packed output: a Lua buffer plus its length so far.
class PackWriter {
public:
    explicit PackWriter(lua_State* L) { luaL_buffinit(L, &m_buffer); }

    void SetBigEndian(bool big) { m_big = big; }
    size_t Size() const { return m_size; }

    void Bytes(const void* data, size_t size)
    {
        luaL_addlstring(&m_buffer, static_cast<const char*>(data), size);
        m_size += size;
    }

    void Byte(uint32_t value)
    {
        luaL_addchar(&m_buffer, static_cast<char>(value & 0xff));
        ++m_size;
    }

    // The low `size` bytes of `value` in the current byte order.
    void Integer(uint64_t value, int size)
    {
        char bytes[8];
        for (int i = 0; i < size; ++i) {
            int shift = 8 * (m_big ? size - 1 - i : i);
            bytes[i] = static_cast<char>((value >> shift) & 0xff);
        }
        Bytes(bytes, static_cast<size_t>(size));
    }

    void Fill(uint32_t byte, size_t count)
    {
        char block[256];
        std::memset(block, static_cast<int>(byte), sizeof block);
        while (count > 0) {
            size_t n = count < sizeof block ? count : sizeof block;
            Bytes(block, n);
            count -= n;
        }
    }

    void Units(const uint16_t* units, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Integer(units[i], 2);
    }

    void Finish() { luaL_pushresult(&m_buffer); }

private:
    luaL_Buffer m_buffer;
    size_t m_size = 0;
    bool m_big = false;
};

// The string argument of a string code: bytes, or units with "w".
struct StringArg {
    const char* bytes = nullptr;
    const uint16_t* units = nullptr;
    size_t length = 0;  // bytes or units
};

StringArg CheckStringArg(lua_State* L, int arg, bool wide)
{
    StringArg s;
    if (wide)
        s.units = luaL_checkwstring(L, arg, &s.length);
    else
        s.bytes = luaL_checklstring(L, arg, &s.length);
    return s;
}

void WriteString(PackWriter& out, const StringArg& s)
{
    if (s.units)
        out.Units(s.units, s.length);
    else
        out.Bytes(s.bytes, s.length);
}

// A length prefix that cannot hold the length would make the rest of the
// packed data unreadable, so it is an error rather than silently cut.
void CheckLength(lua_State* L, int arg, size_t length, uint64_t max, char code)
{
    if (length > max) {
        char message[] = "string too long for `?'";
        message[21] = code;
        luaL_argerror(L, arg, message);
    }
}

int Pack(lua_State* L)
{
    FormatReader format(L, 1);
    PackWriter out(L);
    int arg = 2;
    // The "@" block: 0 none yet, 1 open, 2 closed.
    int blockState = 0;
    size_t blockStart = 0;
    uint32_t blockSize = 0;
    uint32_t blockFill = 0;

    FormatItem item;
    while (format.Next(item, "bchHiIlLfdnBAzpPa@")) {
        out.SetBigEndian(format.BigEndian());
        if (item.code == '@') {
            if (blockState == 0) {
                blockState = 1;
                blockStart = out.Size();
                blockSize = item.number;
                blockFill = item.fill;
            } else if (blockState == 1) {
                blockState = 2;
                size_t written = out.Size() - blockStart;
                if (written < blockSize)
                    out.Fill(blockFill, blockSize - written);
            }
            continue;
        }
        for (uint32_t n = 0; n < item.count; ++n, ++arg) {
            switch (item.code) {
            case 'b': out.Integer(TruncInt32(luaL_checknumber(L, arg)), 1); break;
            case 'c': out.Integer(TruncInt64(luaL_checknumber(L, arg)), 1); break;
            case 'h': out.Integer(TruncInt64(luaL_checknumber(L, arg)), 2); break;
            case 'H': out.Integer(TruncInt32(luaL_checknumber(L, arg)), 2); break;
            case 'i': case 'l': case 'I': case 'L':
                out.Integer(TruncInt64(luaL_checknumber(L, arg)), 4);
                break;
            case 'f': {
                float f = ToFloat(luaL_checknumber(L, arg));
                out.Integer(std::bit_cast<uint32_t>(f), 4);
                break;
            }
            case 'd': case 'n':
                out.Integer(std::bit_cast<uint64_t>(static_cast<double>(luaL_checknumber(L, arg))), 8);
                break;
            case 'B':
                if (!lua_isboolean(L, arg))
                    luaL_argerror(L, arg, "expected a boolean");
                out.Byte(lua_toboolean(L, arg) ? 1 : 0);
                break;
            case 'A':
                WriteString(out, CheckStringArg(L, arg, item.wide));
                break;
            case 'z': {
                StringArg s = CheckStringArg(L, arg, item.wide);
                WriteString(out, s);
                out.Integer(0, item.wide ? 2 : 1);
                break;
            }
            case 'p': {
                StringArg s = CheckStringArg(L, arg, item.wide);
                CheckLength(L, arg, s.length, 0xff, 'p');
                out.Integer(s.length, 1);
                WriteString(out, s);
                break;
            }
            case 'P': {
                StringArg s = CheckStringArg(L, arg, item.wide);
                CheckLength(L, arg, s.length, 0xffff, 'P');
                out.Integer(s.length, 2);
                WriteString(out, s);
                break;
            }
            case 'a': {
                StringArg s = CheckStringArg(L, arg, item.wide);
                CheckLength(L, arg, s.length, 0xffffffffu, 'a');
                out.Integer(s.length, 4);
                WriteString(out, s);
                break;
            }
            default:
                break;
            }
        }
    }
    out.Finish();
    return 1;
}

// Reads packed data without ever stepping past its end.
class UnpackReader {
public:
    UnpackReader(const char* data, size_t size, size_t pos)
        : m_data(reinterpret_cast<const uint8_t*>(data)), m_size(size), m_pos(pos)
    {
    }

    void SetBigEndian(bool big) { m_big = big; }
    size_t Position() const { return m_pos; }
    bool Has(uint64_t count) const { return count <= m_size - m_pos; }
    const uint8_t* Here() const { return m_data + m_pos; }
    void Skip(size_t count) { m_pos += count; }
    void Rewind(size_t pos) { m_pos = pos; }

    // Call only after Has(size).
    uint64_t Integer(int size)
    {
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            int shift = 8 * (m_big ? size - 1 - i : i);
            value |= static_cast<uint64_t>(m_data[m_pos + static_cast<size_t>(i)]) << shift;
        }
        m_pos += static_cast<size_t>(size);
        return value;
    }

    // `count` units from here on; call only after Has(2 * count).
    void Units(size_t count, std::vector<uint16_t>& units)
    {
        units.resize(count);
        for (size_t i = 0; i < count; ++i)
            units[i] = static_cast<uint16_t>(Integer(2));
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    bool m_big = false;
};

// Pushes a string of `length` bytes or units read at the reader's position
// (already checked to be there).
void PushString(lua_State* L, UnpackReader& in, size_t length, bool wide, std::vector<uint16_t>& units)
{
    if (wide) {
        static const uint16_t kNoUnits[1] = {0};
        in.Units(length, units);
        lua_pushwstring(L, length ? units.data() : kNoUnits, length);
    } else {
        lua_pushlstring(L, reinterpret_cast<const char*>(in.Here()), length);
        in.Skip(length);
    }
}

// A length prefix of `prefix` bytes, then that many bytes or units. False
// (nothing read) when the data ends first.
bool UnpackCounted(lua_State* L, UnpackReader& in, int prefix, bool wide, std::vector<uint16_t>& units)
{
    if (!in.Has(static_cast<uint64_t>(prefix)))
        return false;
    size_t start = in.Position();
    uint64_t length = in.Integer(prefix);
    uint64_t bytes = wide ? length * 2 : length;
    if (!in.Has(bytes)) {
        in.Rewind(start);  // the item was not read
        return false;
    }
    PushString(L, in, static_cast<size_t>(length), wide, units);
    return true;
}

int Unpack(lua_State* L)
{
    size_t size = 0;
    const char* data = luaL_checklstring(L, 1, &size);
    FormatReader format(L, 2);
    lua_Integer init = luaL_optinteger(L, 3, 1);
    luaL_argcheck(L, init >= 1, 3, "initial position out of range");
    int base = lua_gettop(L);
    // A start past the end reads nothing and returns the start unchanged.
    size_t start = static_cast<size_t>(init - 1) < size ? static_cast<size_t>(init - 1) : size;
    UnpackReader in(data, size, start);
    std::vector<uint16_t> units;
    bool more = true;

    FormatItem item;
    while (more && format.Next(item, "bchHiIlLfdnBAzpPa")) {
        in.SetBigEndian(format.BigEndian());
        uint32_t repeat = item.code == 'A' ? 1 : item.count;
        for (uint32_t n = 0; n < repeat && more; ++n) {
            luaL_checkstack(L, 2, "too many values to unpack");
            switch (item.code) {
            case 'b': case 'c': case 'B': {
                if (!(more = in.Has(1)))
                    break;
                uint32_t v = static_cast<uint32_t>(in.Integer(1));
                if (item.code == 'B')
                    lua_pushboolean(L, v != 0);
                else
                    lua_pushnumber(L, item.code == 'c' ? static_cast<double>(static_cast<int8_t>(v)) : v);
                break;
            }
            case 'h': case 'H': {
                if (!(more = in.Has(2)))
                    break;
                uint32_t v = static_cast<uint32_t>(in.Integer(2));
                lua_pushnumber(L, item.code == 'h' ? static_cast<double>(static_cast<int16_t>(v)) : v);
                break;
            }
            case 'i': case 'l': case 'I': case 'L': {
                if (!(more = in.Has(4)))
                    break;
                uint32_t v = static_cast<uint32_t>(in.Integer(4));
                bool isSigned = item.code == 'i' || item.code == 'l';
                lua_pushnumber(L, isSigned ? static_cast<double>(static_cast<int32_t>(v)) : v);
                break;
            }
            case 'f':
                if ((more = in.Has(4)))
                    lua_pushnumber(L, std::bit_cast<float>(static_cast<uint32_t>(in.Integer(4))));
                break;
            case 'd': case 'n':
                if ((more = in.Has(8)))
                    lua_pushnumber(L, std::bit_cast<double>(in.Integer(8)));
                break;
            case 'A': {
                uint64_t bytes = item.wide ? uint64_t{item.count} * 2 : item.count;
                if ((more = in.Has(bytes)))
                    PushString(L, in, item.count, item.wide, units);
                break;
            }
            case 'z': {
                const uint8_t* here = in.Here();
                size_t left = size - in.Position();
                size_t length = 0;
                more = false;
                if (item.wide) {
                    for (size_t i = 0; i + 1 < left; i += 2) {
                        if (here[i] == 0 && here[i + 1] == 0) {
                            length = i / 2;
                            more = true;
                            break;
                        }
                    }
                } else if (const void* zero = std::memchr(here, 0, left)) {
                    length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - here);
                    more = true;
                }
                if (more) {
                    PushString(L, in, length, item.wide, units);
                    in.Skip(item.wide ? 2 : 1);
                }
                break;
            }
            case 'p': more = UnpackCounted(L, in, 1, item.wide, units); break;
            case 'P': more = UnpackCounted(L, in, 2, item.wide, units); break;
            case 'a': more = UnpackCounted(L, in, 4, item.wide, units); break;
            default: break;
            }
        }
    }
    bool pastEnd = init - 1 > static_cast<lua_Integer>(size);
    lua_pushinteger(L, pastEnd ? init : static_cast<lua_Integer>(in.Position()) + 1);
    lua_insert(L, base + 1);
    return lua_gettop(L) - base;
}

// Decodes the escapes of `text` (bytes or units, as `Unit`), handing each
// resulting character to `emit`. `maxHex` is the most hexadecimal digits
// one "\x" takes.
template <typename Unit, typename Emit>
void DecodeEscapes(const Unit* text, size_t length, int maxHex, Emit emit)
{
    size_t i = 0;
    while (i < length) {
        uint32_t c = text[i++];
        if (c != '\\' || i == length) {
            emit(c);  // a backslash that ends the text stays
            continue;
        }
        c = text[i++];
        switch (c) {
        case 'a': emit(7); break;
        case 'b': emit(8); break;
        case 'f': emit(12); break;
        case 'n': emit(10); break;
        case 'r': emit(13); break;
        case 't': emit(9); break;
        case 'v': emit(11); break;
        case 'x': {
            uint32_t value = 0;
            int digits = 0;
            while (digits < maxHex && i < length && text[i] < 128 && HexDigit(static_cast<int>(text[i])) >= 0) {
                value = value * 16 + static_cast<uint32_t>(HexDigit(static_cast<int>(text[i++])));
                ++digits;
            }
            emit(digits > 0 ? value : 'x');
            break;
        }
        default:
            if (c >= '0' && c <= '9') {
                uint32_t value = c - '0';
                for (int digits = 1; digits < 3 && i < length && text[i] >= '0' && text[i] <= '9'; ++digits)
                    value = value * 10 + (text[i++] - '0');
                emit(value);
            } else {
                emit(c);
            }
            break;
        }
    }
}

// string.lualex(s [, wide]): without `wide` (or with 0) the result is an
// 8-bit string and every escape gives one byte; with `wide` non-zero it is
// a wide string whose characters and escapes give one unit each.
int LuaLex(lua_State* L)
{
    bool wide = lua_isboolean(L, 2) ? lua_toboolean(L, 2) != 0 : luaL_optnumber(L, 2, 0) != 0;
    if (!wide) {
        size_t length = 0;
        const char* text = luaL_checklstring(L, 1, &length);
        luaL_Buffer out;
        luaL_buffinit(L, &out);
        DecodeEscapes(reinterpret_cast<const uint8_t*>(text), length, 2,
                      [&out](uint32_t c) { luaL_addchar(&out, static_cast<char>(c & 0xff)); });
        luaL_pushresult(&out);
        return 1;
    }
    std::vector<uint16_t> result;
    auto emit = [&result](uint32_t c) { result.push_back(static_cast<uint16_t>(c)); };
    size_t length = 0;
    if (lua_iswstring(L, 1)) {
        const uint16_t* units = lua_towstring(L, 1, &length);
        result.reserve(length);
        DecodeEscapes(units, length, 4, emit);
    } else {
        const char* text = luaL_checklstring(L, 1, &length);
        result.reserve(length);
        DecodeEscapes(reinterpret_cast<const uint8_t*>(text), length, 4, emit);
    }
    static const uint16_t kNoUnits[1] = {0};
    lua_pushwstring(L, result.empty() ? kNoUnits : result.data(), result.size());
    return 1;
}

const luaL_Reg kFunctions[] = {
    {"pack", Pack},
    {"unpack", Unpack},
    {"lualex", LuaLex},
    {nullptr, nullptr},
};

} // namespace

void RegisterStringPack(lua_State* L)
{
    luaL_register(L, LUA_STRLIBNAME, kFunctions);
    lua_pop(L, 1);
}
