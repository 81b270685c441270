#pragma once

#include "app/DialogView.h"
#include "planning/LinkVobIdsDialog.h"

// Draws Link Vob-IDs: the title set's segments on the left, several selectable, the focused
// segment's properties and the link commands on the right. Every rule lives in LinkVobIdsDialog;
// a dialog that ended while opening (a segment alone in its title set) is not shown at all.
class LinkVobIdsView : public DialogView {
public:
    LinkVobIdsView(LinkVobIdsDialog &dialog, QWidget *parent = nullptr);
};
