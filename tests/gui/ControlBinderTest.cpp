#include "app/ControlBinder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A core window of every control kind: its fields, its table, and commands that record their
// input and change what the table shows.
struct Panel {
    enum Id { Caption = 1, Frame, Apply, Box, RadioA, RadioB, Field, Figure, Log, Rows, Picks, Choice, Combo, Slide };

    std::string text = "4000";
    bool box = false;
    int mode = -1; // neither radio checked
    int row = 1;
    std::vector<int> picks{0, 2};
    int caret = 2;
    int choice = 0;
    std::string comboText = "b";
    int position = 30;
    std::vector<std::string> log{"first"};
    std::vector<std::string> calls;

    ControlTable controls() const
    {
        ControlTable t;
        t.add(Caption, label("Bitrate"));
        t.add(Frame, group("Properties"));
        t.add(Apply, button("&Apply").enable(box));
        t.add(Box, checkBox("&Autosized", box));
        t.add(RadioA, radio("VBR", mode == 0));
        t.add(RadioB, radio("OPV", mode == 1).show(box));
        t.add(Field, edit(text));
        t.add(Figure, readOnlyEdit("12.5"));
        t.add(Log, textBox(log));
        t.add(Rows, list({"one", "two", "three"}, row));
        Control picked = multiList({"a", "b", "c", "d"}, picks);
        picked.selected = caret;
        t.add(Picks, picked);
        t.add(Choice, dropDown({" 2", " 3", " 4"}, choice));
        t.add(Combo, editableDropDown({"a", "b"}, comboText));
        t.add(Slide, slider(0, 100, position));
        return t;
    }
};

struct Harness {
    Panel panel;
    std::unique_ptr<QDialog> view = std::make_unique<QDialog>();
    ControlBinder *binder = new ControlBinder(view.get(), [this] { return panel.controls(); });
    QPushButton *defaultButton = new QPushButton("Default", view.get());
    int defaultPressed = 0;

    template <typename W>
    W *add(W *widget, int id)
    {
        view->layout()->addWidget(widget);
        return binder->bind(widget, id);
    }

    QLabel *caption;
    QGroupBox *frame;
    QPushButton *apply;
    QCheckBox *box;
    QRadioButton *radioA, *radioB;
    QLineEdit *field, *figure;
    QPlainTextEdit *log;
    QListWidget *rows, *picks;
    QComboBox *choice, *combo;
    QSlider *slide;

    Harness()
    {
        new QVBoxLayout(view.get());
        view->layout()->addWidget(defaultButton);
        defaultButton->setDefault(true);
        QObject::connect(defaultButton, &QPushButton::clicked, [this] { ++defaultPressed; });
        caption = add(new QLabel, Panel::Caption);
        frame = add(new QGroupBox, Panel::Frame);
        apply = add(new QPushButton, Panel::Apply);
        box = add(new QCheckBox, Panel::Box);
        radioA = add(new QRadioButton, Panel::RadioA);
        radioB = add(new QRadioButton, Panel::RadioB);
        field = add(new QLineEdit, Panel::Field);
        figure = add(new QLineEdit, Panel::Figure);
        log = add(new QPlainTextEdit, Panel::Log);
        rows = add(new QListWidget, Panel::Rows);
        picks = add(new QListWidget, Panel::Picks);
        picks->setSelectionMode(QAbstractItemView::ExtendedSelection);
        choice = add(new QComboBox, Panel::Choice);
        combo = add(new QComboBox, Panel::Combo);
        slide = add(new QSlider(Qt::Horizontal), Panel::Slide);

        Panel &p = panel;
        binder->onClicked(Panel::Apply, [&p] { p.calls.push_back("apply"); });
        binder->onChecked(Panel::Box, [&p](bool on) { p.box = on; p.calls.push_back(on ? "box on" : "box off"); });
        binder->onClicked(Panel::RadioB, [&p] { p.mode = 1; p.calls.push_back("radio B"); });
        binder->onTextCommitted(Panel::Field, [&p](const std::string &t) {
            p.calls.push_back("typed " + t);
            // Refuses what is not a number, as a window's typed field does: the field shows
            // the value again.
            if (!t.empty() && t.find_first_not_of("0123456789") == std::string::npos)
                p.text = t;
        });
        binder->onRowSelected(Panel::Rows, [&p](int r) { p.row = r; p.calls.push_back("row " + std::to_string(r)); });
        binder->onRowsSelected(Panel::Picks, [&p](const std::vector<int> &r, int caret) {
            p.picks = r;
            p.caret = caret;
            p.calls.push_back("picks " + std::to_string(r.size()) + " caret " + std::to_string(caret));
        });
        binder->onRowSelected(Panel::Choice, [&p](int r) { p.choice = r; p.calls.push_back("choice " + std::to_string(r)); });
        binder->onTextCommitted(Panel::Combo, [&p](const std::string &t) { p.comboText = t; p.calls.push_back("combo " + t); });
        binder->onSliderMoved(Panel::Slide, [&p](int pos) {
            p.position = pos;
            p.log.push_back("moved");
            p.calls.push_back("slide " + std::to_string(pos));
        });
        binder->render();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }

    QStringList lines() const { return log->toPlainText().split('\n'); }
};

} // namespace

class ControlBinderTest : public QObject {
    Q_OBJECT
private slots:
    void rendersEveryKindOfControl()
    {
        Harness h;
        QCOMPARE(h.caption->objectName(), QString("id1"));
        QCOMPARE(h.caption->text(), QString("Bitrate"));
        QCOMPARE(h.frame->title(), QString("Properties"));
        QCOMPARE(h.apply->text(), QString("&Apply"));
        QVERIFY(!h.apply->isEnabled());
        QVERIFY(!h.box->isChecked());
        QVERIFY(!h.radioA->isChecked() && !h.radioB->isChecked());
        QVERIFY(h.radioB->isHidden());
        QCOMPARE(h.field->text(), QString("4000"));
        QVERIFY(!h.field->isReadOnly());
        QVERIFY(h.figure->isReadOnly());
        // Read-only figures are drawn on the window's colour, not as a field to type in.
        QCOMPARE(h.figure->palette().color(QPalette::Base), h.figure->palette().color(QPalette::Window));
        QCOMPARE(h.lines(), QStringList{"first"});
        QCOMPARE(h.rows->count(), 3);
        QCOMPARE(h.rows->currentRow(), 1);
        QCOMPARE(h.picks->selectedItems().size(), 2);
        QVERIFY(h.picks->item(0)->isSelected() && h.picks->item(2)->isSelected());
        QCOMPARE(h.picks->currentRow(), 2);
        QCOMPARE(h.choice->currentText(), QString(" 2"));
        QCOMPARE(h.combo->currentText(), QString("b"));
        QCOMPARE(h.slide->maximum(), 100);
        QCOMPARE(h.slide->value(), 30);
        QVERIFY(h.panel.calls.empty()); // rendering forwards nothing
    }

    void forwardsEachActionWithItsInputAndShowsTheResult()
    {
        Harness h;
        h.box->click();
        QCOMPARE(h.panel.calls.back(), std::string("box on"));
        QVERIFY(h.apply->isEnabled()); // rendered again after the command
        QVERIFY(!h.radioB->isHidden());
        h.apply->click();
        QCOMPARE(h.panel.calls.back(), std::string("apply"));
        h.radioB->click();
        QCOMPARE(h.panel.calls.back(), std::string("radio B"));
        QVERIFY(h.radioB->isChecked());

        h.rows->setCurrentRow(2);
        QCOMPARE(h.panel.calls.back(), std::string("row 2"));
        QTest::mouseClick(h.picks->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          h.picks->visualItemRect(h.picks->item(3)).center());
        QCOMPARE(h.panel.calls.back(), std::string("picks 3 caret 3"));
        QCOMPARE(h.panel.picks, (std::vector<int>{0, 2, 3}));
        h.choice->setFocus();
        QTest::keyClick(h.choice, Qt::Key_Down);
        QCOMPARE(h.panel.calls.back(), std::string("choice 1"));
        h.combo->setFocus();
        h.combo->lineEdit()->selectAll();
        QTest::keyClicks(h.combo->lineEdit(), "zz");
        QTest::keyClick(h.combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(h.panel.calls.back(), std::string("combo zz"));
        h.slide->setValue(55);
        QCOMPARE(h.panel.calls.back(), std::string("slide 55"));
        // The text box grows by the new line only.
        QCOMPARE(h.lines(), (QStringList{"first", "moved"}));
    }

    void anEditCommitsOnEnterAndWhenTheFocusLeavesWithoutPressingTheDefaultButton()
    {
        Harness h;
        h.field->setFocus();
        h.field->selectAll();
        QTest::keyClicks(h.field, "3000");
        QTest::keyClick(h.field, Qt::Key_Return);
        QCOMPARE(h.panel.calls, std::vector<std::string>{"typed 3000"});
        QCOMPARE(h.defaultPressed, 0);

        // A refused entry shows the value again, and leaving the field then commits nothing.
        h.field->selectAll();
        QTest::keyClicks(h.field, "fast");
        h.figure->setFocus(); // the focus leaves
        QCOMPARE(h.panel.calls.back(), std::string("typed fast"));
        QCOMPARE(h.field->text(), QString("3000"));
        h.field->setFocus();
        h.figure->setFocus();
        QCOMPARE(h.panel.calls.size(), std::size_t(2));
    }

    void actionsWhileACommandRunsAreNotForwarded()
    {
        Harness h;
        // A command that moves other widgets itself (as a message box taking the focus does)
        // starts no second command.
        h.binder->onClicked(Panel::Apply, [&h] {
            h.rows->setCurrentRow(0);
            h.slide->setValue(90);
        });
        h.box->click();
        h.panel.calls.clear();
        h.apply->click();
        QCOMPARE(h.panel.calls, std::vector<std::string>{"apply"});
        // ...and the render after it puts back what the table says.
        QCOMPARE(h.rows->currentRow(), 1);
        QCOMPARE(h.slide->value(), 30);
    }

    void runsAChildWindowModallyAndReturnsItsResult()
    {
        Harness h;
        QDialog child;
        QString seenTitle;
        setChildDialogDriver([&seenTitle](QDialog &dialog) {
            seenTitle = dialog.windowTitle();
            dialog.accept();
        });
        child.setWindowTitle("Tweak Cells");
        QCOMPARE(runChildDialog(h.view.get(), child), int(QDialog::Accepted));
        QCOMPARE(seenTitle, QString("Tweak Cells"));
        setChildDialogDriver([](QDialog &) {}); // leaves it open: closed with Cancel
        QCOMPARE(runChildDialog(h.view.get(), child), int(QDialog::Rejected));
        setChildDialogDriver({});
    }
};

QTEST_MAIN(ControlBinderTest)
#include "ControlBinderTest.moc"
