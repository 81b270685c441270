#pragma once

#include "encoder/SettingsView.h"

// Draws the two CCE settings windows, "CCE 2.70 Settings" and "CCE SP settings", which share
// one layout: the SP window simply has no widgets for the controls only CCE 2.70 offers (fades,
// the adaptive-Q switch, the chroma dither slider) and shows the caption beside its vertical
// filter box.
class CceSettingsView : public SettingsView {
public:
    CceSettingsView(SettingsDialogBase &dialog, QWidget *parent = nullptr);

private:
    QLayout *encodingColumn();
    QLayout *filterColumn();
};
