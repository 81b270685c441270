#include "planning/SetQFactorView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using Id = SetQFactorDialog::Id;
using namespace dialogLayout;

SetQFactorView::SetQFactorView(SetQFactorDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialog.result(); },
                 [&dialog] { dialog.cancelClicked(); }, parent)
{
    setObjectName("setQFactor");
    ControlBinder &b = binder();

    auto *segment = fieldFor(b.bind(new QLineEdit(this), Id::SegmentEdit), "VTS 99 - VobID 9999");

    auto *choice = new QGroupBox(SetQFactorDialog::qGroup, this);
    auto *calculated = b.bind(new QRadioButton(choice), Id::CalculatedRadio);
    auto *setTo = b.bind(new QRadioButton(choice), Id::SetToRadio);
    auto *q = fieldFor(b.bind(new QLineEdit(choice), Id::QEdit), "9999");
    auto *choiceLayout = new QGridLayout(choice);
    choiceLayout->addWidget(calculated, 0, 0, 1, 2);
    choiceLayout->addWidget(setTo, 1, 0);
    choiceLayout->addWidget(q, 1, 1);
    // The field stays as wide as a Q factor needs; the rest of the row is left empty.
    q->setMaximumWidth(q->minimumWidth());
    choiceLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 2);

    // A frame without a caption around the warning.
    auto *warningFrame = new QGroupBox(this);
    auto *warning = new QLabel(SetQFactorDialog::warningText, warningFrame);
    warning->setWordWrap(true);
    (new QVBoxLayout(warningFrame))->addWidget(warning);

    auto *ok = b.bind(new QPushButton(this), Id::OkButton);
    ok->setDefault(true);
    auto *cancel = b.bind(new QPushButton(this), Id::CancelButton);
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(segment);
    layout->addWidget(choice);
    layout->addWidget(warningFrame);
    layout->addStretch();
    layout->addLayout(buttonRow({ok, cancel}));

    SetQFactorDialog &d = dialog;
    // OK reads the field as it stands, so every edit reaches the window, and Enter in the
    // field presses OK as in any dialog.
    b.onTextEdited(Id::QEdit, [&d](const std::string &text) { d.qTyped(text); });
    b.onClicked(Id::CalculatedRadio, [&d] { d.calculatedClicked(); });
    b.onClicked(Id::SetToRadio, [&d] { d.setToClicked(); });
    onClickedMayClose(Id::OkButton, [&d] { d.okClicked(); });
    onClickedMayClose(Id::CancelButton, [&d] { d.cancelClicked(); });

    finishLayout(SetQFactorDialog::title, 157, 157);
}
