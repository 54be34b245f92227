#pragma once

#include <QString>
#include <optional>

namespace qm {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;

// The key filter of numeric boxes: digits, Backspace and Enter pass; "-" only into an empty box,
// "." only while the box holds none (both refused when there is no box). Returns the key to
// use, 0 to swallow it.
int numKeyFilter(int key, const std::optional<QString>& boxText = std::nullopt);

}  // namespace qm
