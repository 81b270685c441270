#pragma once

#include <optional>
#include <string>

// Sets (or, with a null value, removes) an environment variable for the life of the object
// and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
