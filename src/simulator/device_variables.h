#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

// The present values of the variables one model of the catalogue has, as the value bytes a Value
// response carries. Every variable starts at a plausible setting: levels at sensible dB, texts
// filled in, list-valued variables at an entry of their list (the tuner on FM, the power on).
class CDeviceVariables {
public:
    explicit CDeviceVariables(int modelRow);

    bool Has(std::uint8_t id) const { return m_values.contains(id); }
    // Null when the model lacks the variable.
    const std::vector<std::uint8_t>* Value(std::uint8_t id) const;
    // Stores the value of a variable the model has and that can be set; false otherwise.
    bool Set(std::uint8_t id, std::span<const std::uint8_t> value);
    // The ids of the model's variables, ascending.
    std::vector<std::uint8_t> Ids() const;

private:
    std::map<std::uint8_t, std::vector<std::uint8_t>> m_values;
    std::map<std::uint8_t, bool> m_settable;
};
