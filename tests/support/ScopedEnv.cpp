#include "support/ScopedEnv.h"

#include <cstdlib>

namespace {

void setVariable(const std::string &name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value : ""); // an empty value removes it there
#else
    if (value)
        ::setenv(name.c_str(), value, 1);
    else
        ::unsetenv(name.c_str());
#endif
}

} // namespace

ScopedEnv::ScopedEnv(const char *name, const char *value) : m_name(name)
{
    if (const char *old = std::getenv(name))
        m_old = old;
    setVariable(m_name, value);
}

ScopedEnv::~ScopedEnv()
{
    setVariable(m_name, m_old ? m_old->c_str() : nullptr);
}
