#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "channels/row_selection_after.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// The converter's directions and the C-band oscillator, whose conversion mirrors the band.
enum class ConversionMode { kNone = 0, kLBandToFrequency = 1, kFrequencyToLBand = 2 };
inline constexpr int kKuHighOscillator = 10750;
inline constexpr int kKuLowOscillator = 9750;
inline constexpr int kCBandOscillator = 5150;

// The buttons of "Convertitore (LNB)" that choose the oscillator.
enum class OscillatorButton { kNone, kKuHigh, kKuLow, kCBand, kManual };

// What the converter dialog holds while it is open: it starts with no mode and no oscillator
// each time it opens. The Qt dialog forwards its clicks here, so the rules are the same
// everywhere.
class ConverterForm {
 public:
  void ChooseMode(ConversionMode mode) { mode_ = mode; }
  void ChooseOscillator(OscillatorButton button);
  // True while the manual field may be typed in.
  bool ManualFieldEnabled() const { return button_ == OscillatorButton::kManual; }
  // OK: checks the choices, reading the manual field ("%d"; text that is no number leaves the
  // oscillator as it was). True when the dialog may close; otherwise the warning was shown.
  bool Confirm(Ui& ui, std::string_view manualText);

  ConversionMode Mode() const { return mode_; }
  int Oscillator() const { return oscillator_; }

 private:
  ConversionMode mode_ = ConversionMode::kNone;
  OscillatorButton button_ = OscillatorButton::kNone;
  int oscillator_ = 0;
};

// One frequency converted in 16-bit unsigned arithmetic, wrapping modulo 65536. The C-band
// oscillator mirrors (5150 - f) in both directions; any other oscillator is added or subtracted.
uint16_t ConvertFrequency(uint16_t frequency, ConversionMode mode, int oscillator);

// Runs the converter dialog; true when it closed with OK, `form` then holds mode and oscillator.
using ConverterDialogRunner = std::function<bool(ConverterForm& form)>;

// The "&Converti Frecquenza..." command on the selected rows. Marker rows keep their zero
// frequency: converting one would turn a title into a channel. Returns the channels changed.
int ConvertFrequencies(EditorState& state, Ui& ui, std::span<const int> selection,
                       const ConverterDialogRunner& runDialog, SelectionAfter& after);

}  // namespace pelorus
