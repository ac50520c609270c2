#pragma once
// One environment variable set for the lifetime of a scope.
#include <cstdlib>
#include <optional>
#include <string>

// Sets one environment variable for the lifetime of the scope, then puts back what was there.
class TEnvScope
{
public:
    TEnvScope(const char *name, const char *value)
        : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~TEnvScope()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    TEnvScope(const TEnvScope &) = delete;
    TEnvScope &operator=(const TEnvScope &) = delete;

private:
    const char *m_name;
    std::optional<std::string> m_old;
};
