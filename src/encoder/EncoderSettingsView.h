#pragma once

#include "encoder/SettingsView.h"

// Draws the "Encoder settings" window of CCE 2.50 and PRO mode. In PRO mode the core hides
// the filter, quality, complexity and scan order controls, and the window shrinks to the rest.
class EncoderSettingsView : public SettingsView {
public:
    EncoderSettingsView(SettingsDialogBase &dialog, QWidget *parent = nullptr);
};
