#include "optimize/apply.h"

#include "optimize/apply_9x.h"
#include "optimize/apply_common.h"
#include "optimize/apply_nt.h"
#include "profiles/number.h"
#include "store/settings_session.h"

namespace iz {

void ApplySettings(int kind, const Panel& panel, const std::vector<Adapter>& adapters,
                   RawRegistry& registry, ProfileStrings& profiles,
                   const BeforeWriting& beforeWriting) {
  if (IsNTFamily(kind)) {
    ApplyNTSettings(panel, registry, profiles, beforeWriting);
  } else {
    Apply9xSettings(panel, registry, profiles, kind, beforeWriting);
  }
  WriteAdapterValues(panel, adapters, registry);
}

// The applier has read the numbers already: they parse.
void WriteAdapterValues(const Panel& panel, const std::vector<Adapter>& adapters,
                        RawRegistry& registry) {
  const std::int64_t mtu = ReadWholeNumber(panel.customMtu.text);
  const std::int64_t rwin = ReadWholeNumber(panel.customRwin.text);
  SettingsSession session(registry);
  session.SetRoot(kHKLM);
  for (const Adapter& adapter : adapters) {
    if (!WrittenByAdapterStep(adapter)) continue;
    // One handle for all of an adapter's values; an adapter whose key went
    // away since it was found is not made again.
    const bool open = session.OpenPath("\\" + adapter.key, false);
    for (const AdapterValue& v : AdapterValues(adapter.stack)) {
      if (!open) throw Error(FormatMessage(kFailedToSetData, v.name));
      if (v.text) {
        // As instance 0000 gets them: the MTU as typed.
        const std::string text = v.number == AdapterNumber::SegmentSize
                                     ? apply::SegmentSizeText(mtu)
                                     : panel.customMtu.text;
        session.PutValue(v.name, kRegSz, std::vector<std::uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
      } else {
        const std::int64_t n = v.number == AdapterNumber::ReceiveWindow ? rwin : mtu;
        session.PutValue(v.name, kRegDword, DwordBytes(apply::Low32(n)));
      }
    }
    session.ClosePath();
  }
}

}  // namespace iz
