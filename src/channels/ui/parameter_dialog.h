#pragma once

#include <optional>
#include <string_view>

class QWidget;

namespace pelorus {

// The value dialog "Parametri Canale": a prompt, a field and OK. The number read from the field
// ("%d"), or no value when the dialog was closed by its close box or the field held no number.
// Escape does not close it.
std::optional<int> RunParameterDialog(QWidget* owner, std::string_view prompt);

}  // namespace pelorus
