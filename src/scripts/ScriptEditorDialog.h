#pragma once

// The AviSynth script editor of one segment, without its widgets.
//
// DVD-Rebuilder writes one script per cell, all of the same shape; they differ only in lines
// such as the source and the Trim. The editor shows the first cell's script, lets the user
// insert and remove whole lines once, and on OK applies that edit to every cell's script while
// each script keeps its own version of every line it had: `lineOrigin` remembers for each
// working line the index it came from, and the save takes that line from each cell's own file.
//
// The element model: a script is held as its lines followed by one empty element that stands
// for the end of the file. That element is never listed nor written; it is the last entry of
// the "Insert statements in line #" list, so inserting there appends to the script.
//
// How a view uses it:
//   1. Construct it on the segment and call open(); false means the dialog closes at once (the
//      user has been told why).
//   2. Render controls() into the widgets by their ids (below); the caption is windowTitle.
//      The hidden default button (DefaultButton) takes the Enter key, so Enter in the
//      favourites box does not close the dialog; it has no command.
//   3. Forward each user action as the command that carries its input, then render
//      controls() again:
//          LineList 1204 row chosen             -> lineSelected(row)
//          FavouritesBox 1205 text committed    -> lineTyped(text) (a row chosen from its
//                                                  list commits that row's text, or use
//                                                  favouriteChosen(row))
//          1206 -> insertClicked(), 1207 -> removeClicked(), 1208 -> addFavouriteClicked(),
//          1209 -> resetClicked(), 1210 -> testClicked(), 1211 -> viewOriginalClicked(),
//          1212 -> restoreClicked(), 1 -> okClicked(), 2, Escape or the close box ->
//          cancelClicked().
//      A command for a disabled control changes nothing. When result() is no longer Open
//      the view closes; the main window then runs afterScriptEditor().
// Messages and questions go through Desktop. The caller reads nothing from the dialog when it
// ends: OK has already set the segment's `replanned` and the project's `scriptsModified`.
//
// Control ids (assigned here once; a native dialog template uses the same numbers):
//   1200 TitleLabel          "Generic Avisynth Script for "
//   1201 TitleEdit           read-only: "VTS %d - VobID %d"
//   1202 Listing             read-only text, one row per listed line: "%2d - " + line
//   1203 LineLabel           "Insert statements in line #"
//   1204 LineList            drop-down: "%2d" for 1 .. workingCount, the chosen line selected
//   1205 FavouritesBox       editable drop-down: the sorted favourites; text = favourite text
//   1206 AddLineButton       "Add Line"
//   1207 RemoveLineButton    "Remove Line"
//   1208 AddFavouriteButton  "Add Line to Favourites"
//   1209 ResetButton         "Reset Script"
//   1210 TestButton          "Test Script"
//   1211 ViewOriginalButton  "View Original"
//   1212 RestoreButton       "Restore Original Scripts"
//   1213 DefaultButton       hidden default button
//      1 OkButton            "OK"
//      2 CancelButton        "Cancel"

#include "platform/Controls.h"
#include "platform/DialogResult.h"

#include <string>
#include <vector>

class Desktop;
class Project;
class Segment;
struct AppSettings;

class ScriptEditorDialog {
public:
    enum Id : int {
        OkButton = 1,
        CancelButton = 2,
        TitleLabel = 1200,
        TitleEdit = 1201,
        Listing = 1202,
        LineLabel = 1203,
        LineList = 1204,
        FavouritesBox = 1205,
        AddLineButton = 1206,
        RemoveLineButton = 1207,
        AddFavouriteButton = 1208,
        ResetButton = 1209,
        TestButton = 1210,
        ViewOriginalButton = 1211,
        RestoreButton = 1212,
        DefaultButton = 1213,
    };

    static constexpr const char *windowTitle = "Expert Settings: tweak settings for selected VobID";
    static constexpr const char *missingScriptsMessage = "Missing scripts. Avisynth optimizations disabled";
    static constexpr const char *differentSizeMessage =
        "There are script of different size. Avisynth optimizations disabled";
    static constexpr const char *cannotRemoveMessage = "Can't remove mpeg2source and trim lines!";
    static constexpr const char *testFirstMessage = "You have to test the script before exiting";
    static constexpr const char *restoreQuestion =
        "This restore DVD-Rebuilder original .avs files for this Vob-ID.\nDo you want to continue?";
    static constexpr const char *testScriptFailedMessage =
        "Cannot create test.avs. Close your mediaplayer if it's running";
    // A save or restore that stopped before any script changed says so, then names the file
    // and the reason on the next line; one that stopped halfway names the scripts it wrote.
    static constexpr const char *saveFailedMessage = "Error saving... please restore .bak files";
    static constexpr const char *saveUnchangedMessage = "Error saving... the scripts were not changed";
    static constexpr const char *backupUnchangedMessage = "Problems saving scripts... the scripts were not changed";
    static constexpr const char *restoreFailedMessage = "Problems restoring scripts...";
    static constexpr const char *restoreUnchangedMessage =
        "Problems restoring scripts... the scripts were not changed";
    static constexpr const char *favouritesFailedMessage = "Problems saving favourites...";

    // `segmentIndex` names a segment of the project. `settingsFolder` holds Filters.txt and
    // test.avs; an empty folder means no favourites file (tavro-cli, which neither plays nor
    // keeps favourites).
    ScriptEditorDialog(Project &project, int segmentIndex, AppSettings &settings, std::string settingsFolder,
                       Desktop &desktop);

    // Loads the scripts and the favourites. False when the dialog closes at once: a script is
    // missing or the scripts differ in size (the user has been told).
    bool open();

    std::string caption() const { return windowTitle; }
    ControlTable controls() const;

    // ---- Commands ----------------------------------------------------------------------------
    // A row of the "Insert statements in line #" list chosen (0-based: row k is working line k).
    void lineSelected(int row);
    // The favourites box's text typed by the user.
    void lineTyped(const std::string &text);
    // A row of the favourites list chosen: its text becomes the favourite text.
    void favouriteChosen(int row);
    // "Add Line": inserts the favourite text before the chosen line. True when inserted.
    bool insertClicked();
    // "Remove Line": removes the chosen line. True when removed.
    bool removeClicked();
    // "Reset Script": back to the script as loaded; the need to test stays.
    void resetClicked();
    // "Test Script": writes test.avs from the working copy and plays it. True when written.
    bool testClicked();
    // "View Original": plays the first cell's script as it is on disk.
    void viewOriginalClicked();
    // "Add Line to Favourites". True when the line was appended.
    bool addFavouriteClicked();
    // "Restore Original Scripts": asks, then restoreConfirmed().
    void restoreClicked();
    // The restore without the question (tavro-cli). True when every script was restored.
    bool restoreConfirmed();
    // "OK": saves every cell's script. True when the dialog closes (false: test first).
    bool okClicked();
    // "Cancel", Esc or the close box.
    void cancelClicked();
    // For a front-end without a person at a media player (tavro-cli): the edit counts as tested.
    void testSkipped();

    // ---- State -------------------------------------------------------------------------------
    const std::vector<std::string> &loadedLines() const { return m_loadedLines; }
    const std::vector<std::string> &workingLines() const { return m_workingLines; }
    const std::vector<int> &lineOrigin() const { return m_lineOrigin; }
    int loadedCount() const { return int(m_loadedLines.size()); }
    int workingCount() const { return int(m_workingLines.size()); }
    bool scriptTested() const { return m_scriptTested; }
    int lineChoice() const { return m_lineChoice; }
    const std::string &favouriteText() const { return m_favouriteText; }
    const std::vector<std::string> &favourites() const { return m_favourites; }
    // The listed script: the working lines without the final element.
    std::vector<std::string> listedLines() const;

    // Open while the dialog runs; Ok when OK wrote the scripts; Cancel for every other end.
    DialogResult result() const { return m_result; }

private:
    Segment &segment();
    const Segment &segment() const;
    bool loadScripts();
    void showListing();
    bool saveScripts();
    void markScriptsChanged();
    void close(DialogResult result) { m_result = result; }
    bool editable() const { return m_loaded && m_result == DialogResult::Open; }

    Project &m_project;
    int m_segmentIndex;
    AppSettings &m_settings;
    std::string m_settingsFolder;
    Desktop &m_desktop;

    std::vector<std::string> m_loadedLines;
    std::vector<std::string> m_workingLines;
    std::vector<int> m_lineOrigin; // -1: a line the user inserted
    bool m_scriptTested = true;
    int m_lineChoice = 0;
    std::string m_favouriteText;
    std::vector<std::string> m_favourites;
    bool m_loaded = false;
    bool m_backupFound = false;
    DialogResult m_result = DialogResult::Open;
};
