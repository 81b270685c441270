#pragma once

// The planning windows the main window opens (Tweak Cells, Link Vob-IDs, Global Options, Set Q
// Factor) on Windows: a template each in tavro.rc and its routes here. Each core window says by
// result() when it has ended; Escape and the close box reach its Cancel (or Close) command.

#include "planning/GlobalOptionsDialog.h"
#include "planning/LinkVobIdsDialog.h"
#include "planning/SetQFactorDialog.h"
#include "planning/TweakCellsDialog.h"
#include "win32/BoundDialog.h"
#include "win32/WideText.h"

class MainWindow;

// Each runs its window modally over `owner` on the main window's segment (or project), then the
// main window's after...() command.
void runTweakCells(HWND owner, MainWindow &main);
void runLinkVobIds(HWND owner, MainWindow &main);
void runGlobalOptions(HWND owner, MainWindow &main);
void runSetQFactor(HWND owner, MainWindow &main);

// What differs between the windows: the template, the routes, and what Escape means.
int templateOf(const TweakCellsDialog &);
int templateOf(const LinkVobIdsDialog &);
int templateOf(const GlobalOptionsDialog &);
int templateOf(const SetQFactorDialog &);
void route(DialogBinder &binder, TweakCellsDialog &window);
void route(DialogBinder &binder, LinkVobIdsDialog &window);
void route(DialogBinder &binder, GlobalOptionsDialog &window);
void route(DialogBinder &binder, SetQFactorDialog &window);
void escape(TweakCellsDialog &window);
void escape(LinkVobIdsDialog &window);
void escape(GlobalOptionsDialog &window);
void escape(SetQFactorDialog &window);

template <typename Window>
class PlanningWindow : public BoundDialog {
public:
    explicit PlanningWindow(Window &window) : m_window(window) {}
    int templateId() const { return templateOf(m_window); }

protected:
    ControlTable controls() override { return m_window.controls(); }
    void bind(DialogBinder &binder) override
    {
        setWindowText(handle(), Window::title);
        route(binder, m_window);
        binder.afterCommand([this] {
            if (m_window.result() != DialogResult::Open)
                close(INT_PTR(m_window.result()));
        });
    }
    // Escape and the close box, where the template has no Cancel button to take them.
    bool command(int id) override
    {
        if (id != IDCANCEL)
            return false;
        binder().run([this] { escape(m_window); });
        return true;
    }

private:
    Window &m_window;
};
