#include "MainWindowHarness.h"

#include "encoder/CceSettingsDialogBase.h"
#include "encoder/EncoderSettingsDialog.h"
#include "encoder/SettingsView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <functional>
#include <memory>

using Base = SettingsDialogBase;
using Cce = CceSettingsDialogBase;
using Generic = EncoderSettingsDialog;
using Field = SettingsDialogBase::Field;
using S = EncoderSettings;

namespace {

// The main window over a generated project, as main() builds it.
struct Harness : MainWindowHarness<> {
    // Loads the project through "&Load RB Settings" and selects the second row, so the
    // window must open on the selected segment rather than the first.
    bool load(const GeneratorOptions &options)
    {
        loadDemo(options);
        selectRow(1);
        return window.selectedSegment() == &project.segment(window.rowMap()[1]);
    }
    QPushButton *settingsButton() const { return w<QPushButton>(Id::SettingsButton); }
    EncoderSettings &selected() { return window.selectedSegment()->settings; }

    // Presses the settings button; `drive` acts on the window that opens (which is closed
    // with Cancel if `drive` leaves it open). Returns the caption of the window seen.
    QString openSettings(const std::function<void(SettingsView &)> &drive)
    {
        QString caption;
        setChildDialogDriver([&](QDialog &child) {
            auto *settingsView = dynamic_cast<SettingsView *>(&child);
            if (!settingsView)
                return;
            caption = child.windowTitle();
            drive(*settingsView);
        });
        settingsButton()->click();
        setChildDialogDriver({});
        return caption;
    }
};

template <typename Widget>
Widget *widgetOf(SettingsView &view, int id)
{
    auto *widget = qobject_cast<Widget *>(view.control(id));
    if (!widget)
        qFatal("no widget for control %d", id);
    return widget;
}

void click(SettingsView &view, int id)
{
    widgetOf<QAbstractButton>(view, id)->click();
}

// One user action on one control of the window, as the keyboard or mouse makes it.
using Action = std::function<void(SettingsView &)>;

Action stepList(int id)
{
    return [id](SettingsView &view) {
        auto *list = widgetOf<QComboBox>(view, id);
        QTest::keyClick(list, list->currentIndex() + 1 < list->count() ? Qt::Key_Down : Qt::Key_Up);
    };
}

Action stepSlider(int id)
{
    return [id](SettingsView &view) {
        auto *slider = widgetOf<QSlider>(view, id);
        slider->triggerAction(slider->value() < slider->maximum() ? QAbstractSlider::SliderSingleStepAdd
                                                                  : QAbstractSlider::SliderSingleStepSub);
    };
}

Action clickOn(int id)
{
    return [id](SettingsView &view) { click(view, id); };
}

// Clicks the first of the radios that is not checked.
Action clickUnchecked(std::vector<int> ids)
{
    return [ids](SettingsView &view) {
        for (int id : ids) {
            if (!widgetOf<QRadioButton>(view, id)->isChecked()) {
                click(view, id);
                return;
            }
        }
    };
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

Action typeBitrate(int id)
{
    return [id](SettingsView &view) {
        auto *edit = widgetOf<QLineEdit>(view, id);
        typeInto(edit, edit->text() == "5000" ? "6000" : "5000");
    };
}

} // namespace

class SettingsViewTest : public QObject {
    Q_OBJECT
private slots:
    // Each encoder the generator writes opens its window from the settings button; a control
    // changed there reaches the selected segment with OK, and Cancel puts it back.
    void settingsButtonOpensTheEncodersWindowOnTheSelectedSegment()
    {
        struct Case {
            const char *name;
            int cceType;
            bool qCharF; // with type 1: read back as type -1
            int encoderMode;
            const char *button;
            const char *caption;
            Action change;
            Field changed;
        };
        const Case cases[] = {
            {"CCE 2.70", 3, false, 1, "&CCE Settings", "CCE 2.70 Settings", stepList(Cce::PassesList), &S::vbrPasses},
            {"CCE SP 1", 1, false, 1, "&CCE Settings", "CCE SP settings", stepSlider(Base::QualitySlider),
             &S::quality},
            {"CCE SP 1 with q_char_f", 1, true, 1, "&CCE Settings", "CCE SP settings",
             clickUnchecked({Cce::PresetNaturalRadio, Cce::PresetCgRadio}), &S::ditherMax},
            {"oldest CCE SP", 0, false, 1, "&CCE Settings", "CCE SP settings", clickOn(Cce::VerticalBox),
             &S::useFilter},
            {"CCE 2.50", 2, false, 1, "&CCE Settings", "Encoder settings",
             clickUnchecked({Generic::FilterNoneRadio, Generic::FilterNaturalRadio}), &S::filterOff},
            {"PRO mode", 3, false, 3, "PRO Settings", "Encoder settings", typeBitrate(Base::MaxBitrateEdit),
             &S::maxBitrate},
            {"PRO mode with CCE SP", 0, false, 3, "PRO Settings", "Encoder settings",
             clickUnchecked({Base::Gop12Radio, Base::Gop15Radio}), &S::gopHeader},
        };
        for (const Case &c : cases) {
            Harness h;
            QVERIFY2(h.load(variantOptions(7, c.cceType, c.qCharF, false, c.encoderMode)), c.name);
            QCOMPARE(h.settingsButton()->text(), QString(c.button));
            QVERIFY2(h.settingsButton()->isEnabled(), c.name);
            const EncoderSettings opened = h.selected();

            QCOMPARE(h.openSettings([&](SettingsView &view) {
                c.change(view);
                click(view, Base::OkButton);
            }),
                     QString(c.caption));
            QVERIFY2(h.selected().*c.changed != opened.*c.changed, c.name);

            const EncoderSettings afterOk = h.selected();
            h.openSettings([&](SettingsView &view) {
                c.change(view);
                QVERIFY2(h.selected() != afterOk, c.name); // written at once...
                click(view, Base::CancelButton);
            });
            QVERIFY2(h.selected() == afterOk, c.name); // ...and put back
        }
    }

    // Escape and the close box cancel like the Cancel button.
    void escapeAndTheCloseBoxCancel()
    {
        const std::function<void(SettingsView &)> closers[] = {
            [](SettingsView &view) { QTest::keyClick(&view, Qt::Key_Escape); },
            [](SettingsView &view) { view.close(); },
        };
        for (const auto &close : closers) {
            Harness h;
            QVERIFY(h.load(demoOptions(3)));
            const EncoderSettings opened = h.selected();
            bool closed = false;
            h.openSettings([&](SettingsView &view) {
                stepList(Cce::PassesList)(view);
                QVERIFY(h.selected() != opened);
                close(view);
                closed = !view.isVisible();
            });
            QVERIFY(closed);
            QVERIFY(h.selected() == opened);
        }
    }

    // Text still in an edit when OK is pressed without leaving it (buttons that take no
    // focus) is applied before OK checks it.
    void okAppliesTheTextLeftInAnEdit()
    {
        Harness h;
        QVERIFY(h.load(demoOptions(3)));
        h.openSettings([&](SettingsView &view) {
            auto *edit = widgetOf<QLineEdit>(view, Base::MinBitrateEdit);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, "1234");
            click(view, Base::OkButton);
            QVERIFY(!view.isVisible());
        });
        QCOMPARE(h.selected().minBitrate, 1234);
    }

    // A bitrate OK refuses keeps the window open with the focus in that edit.
    void refusedOkFocusesTheEditTheWindowNames()
    {
        Harness h;
        QVERIFY(h.load(demoOptions(3)));
        const int maxBitrate = h.selected().maxBitrate;
        h.openSettings([&](SettingsView &view) {
            auto *edit = widgetOf<QLineEdit>(view, Base::MaxBitrateEdit);
            typeInto(edit, "99999");
            QCOMPARE(h.desktop.lastMessage(), std::string("Please enter an integer between 0 and 9800."));
            widgetOf<QPushButton>(view, Base::OkButton)->setFocus(); // as a click would
            click(view, Base::OkButton);
            QCOMPARE(h.desktop.messages.size(), std::size_t(2));
            QVERIFY(view.isVisible());
            QCOMPARE(view.focusWidget(), edit);
            QCOMPARE(edit->text(), QString("99999"));
        });
        QCOMPARE(h.selected().maxBitrate, maxBitrate);
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
