#include "ui/WindowTypeRegistry.h"

#include <cctype>

namespace {

bool IsIdentifier(const TString& name)
{
    const char* text = name.c_str();
    if (name.IsEmpty() || std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    for (uint32_t i = 0; i < name.Length(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '_')
            return false;
    }
    return true;
}

} // namespace

TString WindowTypeConstructorCode(const TString& name)
{
    TString code;
    if (!IsIdentifier(name))
        return code;
    const char* n = name.c_str();
    code.Format("function %s( table )\tCreating( '%s', table );\ttable.typename='%s';\n"
                "\treturn function() DoWindow( table ) end end;",
                n, n, n);
    return code;
}
