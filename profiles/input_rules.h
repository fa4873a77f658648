#pragma once
// The change rules of the value fields: they mark the fixed choice that
// matches a text, keep the receive window in step with the MTU and the picked
// multiple, and filter the MTU field's keys. They never lock, open, reject or
// report anything; a text that is not a number counts as 0.
#include "model/panel.h"

namespace iz {

void TtlChanged(Panel& panel);
void MtuChanged(Panel& panel);
void CacheChanged(Panel& panel);
void RwinChanged(Panel& panel);
void KeepAliveChanged(Panel& panel);
// Ticks the MTU choice of the field's number: " 576 (Dial-UP)", " 1500
// (LAN)", or " Custom" for any other. MtuChanged runs it on every new text;
// this is for the same text under another choice.
void MarkMtu(Panel& panel);
// A multiple picked in the list.
void RwinMultiplePicked(Panel& panel);
// Sets the receive window to (MTU - 40) x multiple.
void ComputeRwin(Panel& panel, int multiple);
// The MTU field's key filter: true when the typed character is discarded.
bool MtuKeyRejected(char key);

}  // namespace iz
