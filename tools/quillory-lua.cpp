// quillory-lua FILE [ARGS]: runs a script with the program's Lua, the base,
// string, table and math libraries. The arguments are in the global table
// `arg` (arg[0] is FILE) and are passed to the chunk as `...`. An error
// prints "quillory-lua: MESSAGE" on stderr and exits with status 1.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "script/LuaState.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillory-lua FILE [ARGS]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "quillory-lua: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A first line starting with '#' (a "#!" line) is skipped, keeping the
    // line count.
    if (!code.empty() && code[0] == '#')
        code.replace(0, code.find('\n') == std::string::npos ? code.size() : code.find('\n'), "--");

    lua_State* L = NewLuaState();
    if (!L) {
        std::fprintf(stderr, "quillory-lua: not enough memory\n");
        return 1;
    }
    lua_createtable(L, argc - 2, 1);
    for (int i = 1; i < argc; ++i) {
        lua_pushstring(L, argv[i]);
        lua_rawseti(L, -2, i - 1);
    }
    lua_setglobal(L, "arg");
    for (int i = 2; i < argc; ++i)
        lua_pushstring(L, argv[i]);

    std::string chunkName = std::string("@") + argv[1];
    std::string error;
    bool ok = RunLuaBuffer(L, code.data(), code.size(), chunkName.c_str(), argc - 2, 0, error);
    std::fflush(stdout);
    if (!ok)
        std::fprintf(stderr, "quillory-lua: %s\n", error.c_str());
    lua_close(L);
    return ok ? 0 : 1;
}
