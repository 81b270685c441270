#include "win32/PlanningDialogs.h"

#include "app/MainWindow.h"
#include "win32/resource.h"

// ---- Tweak Cells ---------------------------------------------------------------------------------

int templateOf(const TweakCellsDialog &)
{
    return IDD_TWEAK_CELLS;
}

void route(DialogBinder &binder, TweakCellsDialog &w)
{
    using Id = TweakCellsDialog::Id;
    binder.onRow(Id::CellList, [&w](int row) { w.cellSelected(row); })
        .onCheck(Id::AutosizedBox, [&w](bool checked) { w.autosizedClicked(checked); })
        .onText(Id::BitrateEdit, [&w](const std::string &text) { w.bitrateTyped(text); })
        .onSlider(Id::ReductionSlider, [&w](int position) { w.sliderMoved(position); })
        .onClick(Id::ResetButton, [&w] { w.resetClicked(); })
        .onClick(Id::ViewCellButton, [&w] { w.viewCellClicked(); })
        .onClick(Id::ApplyButton, [&w] { w.applyClicked(); });
}

void escape(TweakCellsDialog &w)
{
    w.closeClicked();
}

void runTweakCells(HWND owner, MainWindow &main)
{
    TweakCellsDialog window(main.project(), main.currentSegment(), main.desktop(), main.settings(),
                            main.settingsFolder());
    PlanningWindow<TweakCellsDialog> dialog(window);
    dialog.runModal(dialog.templateId(), owner);
    main.afterTweakCells();
}

// ---- Link Vob-IDs --------------------------------------------------------------------------------

int templateOf(const LinkVobIdsDialog &)
{
    return IDD_LINK_VOB_IDS;
}

void route(DialogBinder &binder, LinkVobIdsDialog &w)
{
    using Id = LinkVobIdsDialog::Id;
    binder.onRows(Id::SegmentList, [&w](const std::vector<int> &rows, int caret) { w.selectionChanged(rows, caret); })
        .onCheck(Id::HideBox, [&w](bool checked) { w.hideClicked(checked); })
        .onClick(Id::ViewFirstCellButton, [&w] { w.viewFirstCellClicked(); })
        .onClick(Id::LinkAllButton, [&w] { w.linkAllClicked(); })
        .onClick(Id::LinkSelectedButton, [&w] { w.linkSelectedClicked(); })
        .onClick(Id::CancelButton, [&w] { w.cancelClicked(); });
}

void escape(LinkVobIdsDialog &w)
{
    w.cancelClicked();
}

void runLinkVobIds(HWND owner, MainWindow &main)
{
    LinkVobIdsDialog window(main.project(), main.currentSegment(), main.hideInsignificant(), main.desktop(),
                            main.settings(), main.settingsFolder());
    // A title set with a single listed segment ends the window as it opens, after its message.
    if (window.result() == DialogResult::Open) {
        PlanningWindow<LinkVobIdsDialog> dialog(window);
        dialog.runModal(dialog.templateId(), owner);
    }
    main.afterLinkVobIds();
}

// ---- Global Options ------------------------------------------------------------------------------

int templateOf(const GlobalOptionsDialog &)
{
    return IDD_GLOBAL_OPTIONS;
}

void route(DialogBinder &binder, GlobalOptionsDialog &w)
{
    using Id = GlobalOptionsDialog::Id;
    binder.onSlider(Id::PercentSlider, [&w](int position) { w.sliderMoved(position); })
        .onClick(Id::RestoreButton, [&w] { w.restoreClicked(); })
        .onClick(Id::MediaPlayerButton, [&w] { w.selectMediaPlayerClicked(); })
        .onClick(Id::CceButton, [&w] { w.selectCceClicked(); })
        .onClick(Id::OkButton, [&w] { w.okClicked(); })
        .onClick(Id::CancelButton, [&w] { w.cancelClicked(); });
}

void escape(GlobalOptionsDialog &w)
{
    w.cancelClicked();
}

void runGlobalOptions(HWND owner, MainWindow &main)
{
    GlobalOptionsDialog window(main.project(), main.desktop(), main.settings(), main.settingsFolder());
    PlanningWindow<GlobalOptionsDialog> dialog(window);
    dialog.runModal(dialog.templateId(), owner);
    main.afterGlobalOptions();
}

// ---- Set Q Factor --------------------------------------------------------------------------------

int templateOf(const SetQFactorDialog &)
{
    return IDD_SET_Q_FACTOR;
}

void route(DialogBinder &binder, SetQFactorDialog &w)
{
    using Id = SetQFactorDialog::Id;
    binder.onText(Id::QEdit, [&w](const std::string &text) { w.qTyped(text); })
        .onClick(Id::CalculatedRadio, [&w] { w.calculatedClicked(); })
        .onClick(Id::SetToRadio, [&w] { w.setToClicked(); })
        .onClick(Id::OkButton, [&w] { w.okClicked(); })
        .onClick(Id::CancelButton, [&w] { w.cancelClicked(); });
}

void escape(SetQFactorDialog &w)
{
    w.cancelClicked();
}

void runSetQFactor(HWND owner, MainWindow &main)
{
    SetQFactorDialog window(main.project(), main.currentSegment(), main.desktop());
    PlanningWindow<SetQFactorDialog> dialog(window);
    dialog.runModal(dialog.templateId(), owner);
    main.afterSetQFactor();
}
