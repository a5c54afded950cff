// The ADC panel's texts, highlights and writes.
#include "chip/AdcPanelState.h"

namespace qn {

AdcPanelView ReadAdcPanel(ChipModel& /*model*/, const RegImageBytes& /*image*/,
                          const AdcReadings& /*readings*/, const AdcResultDisplay& /*display*/) {
    return {};
}

std::vector<std::string> AdcComboItems(const ChipModel& /*model*/, std::string_view /*field*/) {
    return {};
}

std::optional<FieldWrite> SelectorWrite(const ChipModel& /*model*/, const RegImageBytes& /*image*/,
                                        std::string_view /*field*/, int /*item*/) {
    return std::nullopt;
}

std::optional<FieldWrite> ToggleWrite(const ChipModel& /*model*/, const RegImageBytes& /*image*/,
                                      std::string_view /*field*/) {
    return std::nullopt;
}

} // namespace qn
