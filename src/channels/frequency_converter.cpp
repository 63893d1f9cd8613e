#include "channels/frequency_converter.h"

#include <algorithm>
#include <vector>

#include "channels/bulk_change.h"
#include "channels/messages.h"
#include "channels/selection.h"

namespace pelorus {

void ConverterForm::ChooseOscillator(OscillatorButton button) {
  button_ = button;
  switch (button) {
    case OscillatorButton::kKuHigh:
      oscillator_ = kKuHighOscillator;
      break;
    case OscillatorButton::kKuLow:
      oscillator_ = kKuLowOscillator;
      break;
    case OscillatorButton::kCBand:
      oscillator_ = kCBandOscillator;
      break;
    default:
      break;  // the manual choice keeps the oscillator until OK reads the field
  }
}

bool ConverterForm::Confirm(Ui& ui, std::string_view manualText) {
  if (mode_ == ConversionMode::kNone) {
    ui.ShowMessage(msg::kSelectConversionMode, Icon::kWarning);
    return false;
  }
  if (button_ == OscillatorButton::kManual) {
    if (const std::optional<int> typed = ParseParameterText(manualText)) oscillator_ = *typed;
  }
  if (oscillator_ == 0) {
    ui.ShowMessage(msg::kSelectLocalOscillator, Icon::kWarning);
    return false;
  }
  return true;
}

uint16_t ConvertFrequency(uint16_t frequency, ConversionMode mode, int oscillator) {
  const auto lo = static_cast<uint16_t>(oscillator);
  if (oscillator == kCBandOscillator) return static_cast<uint16_t>(lo - frequency);
  if (mode == ConversionMode::kLBandToFrequency) return static_cast<uint16_t>(frequency + lo);
  if (mode == ConversionMode::kFrequencyToLBand) return static_cast<uint16_t>(frequency - lo);
  return frequency;
}

int ConvertFrequencies(EditorState& state, Ui& ui, std::span<const int> selection,
                       const ConverterDialogRunner& runDialog, SelectionAfter& after) {
  if (!state.HasSettings()) return 0;
  ConverterForm form;
  if (!runDialog(form)) return 0;
  const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  BusyScope busy(ui);
  std::vector<ChannelRecord>& records = *state.settingsImage;
  after.rows.clear();
  int changed = 0;
  for (const int row : rows) {
    after.rows.push_back(row);
    after.focusRow = row;
    ChannelRecord& record = records[static_cast<size_t>(row)];
    if (record.IsMarker()) continue;
    record.frequency = ConvertFrequency(record.frequency, form.Mode(), form.Oscillator());
    state.settingsModified = true;
    ++changed;
  }
  if (changed > 0) ui.RefillChannelList();
  return changed;
}

}  // namespace pelorus
