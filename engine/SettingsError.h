#pragma once

#include <stdexcept>
#include <string>

// A setting whose value no run can use: names the key, the value and what the
// key takes, so that the user knows what to write instead.
class SettingsError : public std::runtime_error {
  public:
    SettingsError(std::string key, std::string value, std::string allowed)
        : std::runtime_error(key + "=" + value + " cannot be used: " + allowed), Key(std::move(key)),
          Value(std::move(value)), Allowed(std::move(allowed))
    {
    }

    std::string Key;
    std::string Value;
    std::string Allowed;
};
