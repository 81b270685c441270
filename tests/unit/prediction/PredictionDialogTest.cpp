#include "PredictionFixture.h"

#include "ProjectGenerator.h"
#include "common/TextFile.h"
#include "prediction/PredictionDialog.h"
#include "project/ProjectFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Id = PredictionDialog::Id;
using State = PredictionDialog::State;

int lastDesiredKb(const std::vector<std::string> &log)
{
    const std::vector<std::string> lines = linesStarting(log, "--- Desired sample size: ");
    return lines.empty() ? 0 : std::stoi(lines.back().substr(25));
}

// Runs the window's steps to the end of the run, as its view does. The "encoder" writes a
// sample of exactly the desired size, or none for the Vob-IDs in `noOutput`; `during` runs
// while it encodes.
void drive(PredictionDialog &dialog, const std::vector<int> &noOutput = {},
           const std::function<void()> &during = {})
{
    for (;;) {
        const PredictionStep step = dialog.nextStep();
        if (step.kind == PredictionStep::Kind::RunEncoder) {
            if (during)
                during();
            const bool none = std::any_of(noOutput.begin(), noOutput.end(), [&](int vobId) {
                return step.encoder.outputPath.find(cformat("VobID_%04d", vobId)) != std::string::npos;
            });
            if (!none)
                TempFolder::writeTo(step.encoder.outputPath, std::string(std::size_t(lastDesiredKb(dialog.log())) * 1024, 'x'));
            dialog.encoderFinished(Desktop::EncoderResult::Finished);
        } else if (step.kind != PredictionStep::Kind::Log) {
            return;
        }
    }
}

// Which controls are enabled, in the table's order.
std::string enabledOf(const PredictionDialog &dialog)
{
    std::string text;
    for (int id : {Id::SampleSizeEdit, Id::SafetyMarginEdit, Id::GopsPerRangeEdit, Id::DoublePassBox, Id::MinimizedBox,
                   Id::PredictButton, Id::SegmentList, Id::CheckQualityButton, Id::CancelButton, Id::SaveButton})
        text += dialog.controls().at(id).enabled ? '1' : '0';
    return text;
}

} // namespace

TEST(PredictionDialog, OpensWithTheSettingsOptionsAndALayoutForEveryControl)
{
    PredictionProject p({5000});
    p.settings.sampleSize = 2.5;
    p.settings.gopsPerRange = 3;
    p.settings.doublePass = true;
    PredictionDialog dialog(p.project, p.settings, p.folder.path(), p.desktop);
    const ControlTable table = dialog.controls();
    EXPECT_EQ(table.at(Id::SampleSizeEdit).text, "2.5");
    EXPECT_EQ(table.at(Id::SafetyMarginEdit).text, "0");
    EXPECT_EQ(table.at(Id::GopsPerRangeEdit).text, "3");
    EXPECT_TRUE(table.at(Id::DoublePassBox).checked);
    EXPECT_FALSE(table.at(Id::MinimizedBox).checked);
    EXPECT_EQ(table.at(Id::CancelButton).text, "Cancel");
    EXPECT_EQ(enabledOf(dialog), "1111110010");
    for (const Control &control : table.all()) {
        const auto &places = PredictionDialog::layout();
        const auto place = std::find_if(places.begin(), places.end(), [&](auto &p) { return p.id == control.id; });
        ASSERT_NE(place, places.end()) << control.id;
        EXPECT_LE(place->x + place->width, PredictionDialog::width);
        EXPECT_LE(place->y + place->height, PredictionDialog::height);
    }
    dialog.cancelClicked();
    EXPECT_EQ(dialog.result(), PredictionDialog::Result::Cancel);
}

TEST(PredictionDialog, PredictRefusesOptionsOutOfRangeWithTheFieldsMessage)
{
    struct Case {
        const char *sampleSize, *safetyMargin, *gopsPerRange;
        const char *message;
        int focus;
        const char *parallel = "1";
    };
    const Case cases[] = {
        {"0.05", "0", "1", "Please enter a number between 0.1 and 100.", Id::SampleSizeEdit},
        {"1", "60", "1", "Please enter a number between 0 and 50.", Id::SafetyMarginEdit},
        {"1", "0", "0", "Please enter an integer between 1 and 9999.", Id::GopsPerRangeEdit},
        {"1", "x", "1", "Please enter a number.", Id::SafetyMarginEdit},
        {"1", "0", "1.5", "Please enter an integer.", Id::GopsPerRangeEdit},
        {"0.05", "60", "0", "Please enter an integer between 1 and 9999.", Id::GopsPerRangeEdit}, // first in order
        {"1", "0", "1", "Please enter an integer between 1 and 16.", Id::ParallelEncodersEdit, "17"},
        {"1", "0", "1", "Please enter an integer between 1 and 16.", Id::ParallelEncodersEdit, "0"},
        {"1", "0", "1", "Please enter an integer.", Id::ParallelEncodersEdit, "two"},
    };
    for (const Case &c : cases) {
        PredictionProject p({5000});
        PredictionDialog dialog(p.project, p.settings, p.folder.path(), p.desktop);
        dialog.sampleSizeTyped(c.sampleSize);
        dialog.safetyMarginTyped(c.safetyMargin);
        dialog.gopsPerRangeTyped(c.gopsPerRange);
        dialog.parallelEncodersTyped(c.parallel);
        EXPECT_FALSE(dialog.predictClicked());
        EXPECT_EQ(p.desktop.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(dialog.focusControl(), c.focus);
        EXPECT_EQ(dialog.state(), State::Idle);
        EXPECT_FALSE(fileExists(settingsFilePath(p.folder.path())));
    }
}

TEST(PredictionDialog, WithoutAnEncoderPredictAsksForOneAndStaysIdleWhenNoneIsChosen)
{
    PredictionProject p({5000});
    p.settings.ccePath.clear();
    PredictionDialog dialog(p.project, p.settings, p.folder.path(), p.desktop);
    EXPECT_FALSE(dialog.predictClicked());
    ASSERT_EQ(p.desktop.choosers.size(), 1u);
    EXPECT_EQ(p.desktop.choosers[0].title, "Select CCE executable");
    EXPECT_EQ(dialog.state(), State::Idle);
    EXPECT_TRUE(fileExists(settingsFilePath(p.folder.path()))); // the chooser saves even when cancelled
}

TEST(PredictionDialog, ARunDisablesTheOptionsListsTheSegmentsThatGotAQAndPlaysTheirSamples)
{
    // Three segments; the second one's encoder writes nothing.
    PredictionProject p({5000, 5000, 5000}, 5000);
    p.settings.mediaPlayerPath = "player";
    double seconds = 100.0;
    PredictionDialog dialog(p.project, p.settings, p.folder.path(), p.desktop);
    dialog.clock = [&] { return seconds; };
    dialog.sampleSizeTyped("2.5");
    dialog.encodeMinimizedClicked(true);
    ASSERT_TRUE(dialog.predictClicked());
    EXPECT_EQ(dialog.state(), State::Running);
    EXPECT_EQ(enabledOf(dialog), "0000000010");
    EXPECT_EQ(dialog.controls().at(Id::CancelButton).text, "Abort");
    EXPECT_NE(readBytes(settingsFilePath(p.folder.path())).find("opv_sample_size=2.5\r\nopv_encode_minimized=1\r\n"),
              std::string::npos);

    // The first trial takes 10 s; three segments of about four trials each are left to guess.
    PredictionStep step;
    do
        step = dialog.nextStep();
    while (step.kind == PredictionStep::Kind::Log);
    ASSERT_EQ(step.kind, PredictionStep::Kind::RunEncoder);
    EXPECT_EQ(step.encoder.program, "cce");
    EXPECT_EQ(step.encoder.arguments, (std::vector<std::string>{"-ecl", step.encoder.arguments[1], "-batch"}));
    EXPECT_TRUE(step.encoder.minimized);
    seconds += 10.0;
    TempFolder::writeTo(step.encoder.outputPath, std::string(std::size_t(lastDesiredKb(dialog.log())) * 1024, 'x'));
    dialog.encoderFinished(Desktop::EncoderResult::Finished);
    EXPECT_EQ(dialog.controls().at(Id::ProgressLine).text,
              "Segment 1 of 3 (VTS 1 - VobID 2), trial 1, 0:10 elapsed, about 2:00 left");

    drive(dialog, {3});
    EXPECT_EQ(dialog.state(), State::Succeeded);
    EXPECT_EQ(enabledOf(dialog), "1111111111");
    EXPECT_EQ(dialog.controls().at(Id::CancelButton).text, "Cancel");
    EXPECT_EQ(dialog.controls().at(Id::SegmentList).rows,
              (std::vector<std::string>{"VTS  1 - Vob-ID   2", "VTS  1 - Vob-ID   4"}));
    EXPECT_EQ(dialog.controls().at(Id::SegmentList).selected, 0);
    EXPECT_EQ(dialog.log().front(), "=== Running prediction on VTS 1 - VobID 2");
    EXPECT_EQ(linesStarting(dialog.log(), "=== Q Factor not calculated").size(), 1u);

    dialog.entrySelected(1);
    dialog.checkQualityClicked();
    ASSERT_EQ(p.desktop.started.size(), 1u);
    EXPECT_EQ(p.desktop.started[0].program, "player");
    EXPECT_EQ(p.desktop.started[0].arguments, std::vector<std::string>{sampleFilesOf(p.project, 2).output});

    dialog.saveClicked();
    EXPECT_EQ(dialog.result(), PredictionDialog::Result::Save);
}

TEST(PredictionDialog, AbortGreysTheButtonAndStopsAfterTheRunningTrial)
{
    PredictionProject p({5000, 5000}, 5000);
    PredictionDialog dialog(p.project, p.settings, p.folder.path(), p.desktop);
    ASSERT_TRUE(dialog.predictClicked());
    std::vector<std::string> duringTrial;
    drive(dialog, {}, [&] {
        dialog.cancelClicked();
        duringTrial.push_back(enabledOf(dialog) + " " + dialog.controls().at(Id::CancelButton).text);
        dialog.cancelClicked(); // a second press does nothing more
    });
    EXPECT_EQ(duringTrial, std::vector<std::string>{"0000000000 Abort"});
    EXPECT_EQ(dialog.state(), State::Failed);
    EXPECT_EQ(enabledOf(dialog), "1111110010");
    ASSERT_GE(dialog.log().size(), 2u);
    EXPECT_EQ(dialog.log().back(), "=== Q Factor not calculated");
    EXPECT_EQ(dialog.log()[dialog.log().size() - 2], "=== Prediction aborted");
    dialog.saveClicked();
    EXPECT_EQ(dialog.result(), PredictionDialog::Result::Open); // Save is disabled
    dialog.cancelClicked();
    EXPECT_EQ(dialog.result(), PredictionDialog::Result::Cancel);
}

TEST(PredictionDialog, TheSaveGoesOnWithTheQFactorsFoundOrIsAbandonedWithNothingWritten)
{
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save ? "Save" : "Cancel");
        TempFolder folder;
        std::string inf;
        ASSERT_TRUE(generateProject(demoOptions(3), folder.file("p"), &inf));
        Project project;
        FakeDesktop desktop;
        AppSettings settings;
        settings.ccePath = "cce";
        ASSERT_TRUE(project.load(inf, desktop));
        int opv = -1;
        for (int i = project.lastSegmentIndex(); i >= 0; --i)
            opv = !project.segment(i).vbrMode && project.segment(i).significantCells > 0 ? i : opv;
        ASSERT_GE(opv, 0);
        project.segment(opv).setAverageBitrate(project.segment(opv).averageBitrate() - 500);
        project.segment(opv).replanned = true;
        const std::string ecl = project.eclPath();
        const std::string eclBefore = readBytes(ecl);
        const std::string infBefore = readBytes(inf);

        int found = 0;
        const bool saved = project.save(desktop, [&] {
            PredictionDialog dialog(project, settings, folder.path(), desktop);
            EXPECT_TRUE(dialog.predictClicked());
            drive(dialog);
            found = project.segment(opv).settings.opvQFactor;
            save ? dialog.saveClicked() : dialog.cancelClicked();
            return dialog.result() == PredictionDialog::Result::Save;
        });
        EXPECT_EQ(saved, save);
        EXPECT_GT(found, 0);
        if (!save) {
            EXPECT_EQ(readBytes(ecl), eclBefore);
            EXPECT_EQ(readBytes(inf), infBefore);
            EXPECT_FALSE(fileExists(ecl + ".bak"));
            EXPECT_EQ(project.segment(opv).settings.opvQFactor, found); // stays in the model
            continue;
        }
        Project reloaded;
        ASSERT_TRUE(reloaded.load(inf, desktop));
        EXPECT_EQ(reloaded.segment(opv).settings.opvQFactor, found);
        EXPECT_TRUE(desktop.messages.empty()) << desktop.lastMessage();
    }
}
