#include "scripts/ScriptEditorView.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using Id = ScriptEditorDialog::Id;
using namespace dialogLayout;

namespace {

// A button that never takes Enter: the hidden default button does.
QPushButton *plainButton(QPushButton *button)
{
    button->setAutoDefault(false);
    return button;
}

} // namespace

ScriptEditorView::ScriptEditorView(ScriptEditorDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialog.result(); },
                 [&dialog] { dialog.cancelClicked(); }, parent)
{
    setObjectName("scriptEditor");
    ControlBinder &b = binder();

    // Top: which segment's scripts these are.
    auto *title = fieldFor(b.bind(new QLineEdit(this), Id::TitleEdit), "VTS 99 - VobID 9999");
    auto *titleLabel = b.bind(new QLabel(this), Id::TitleLabel);
    titleLabel->setBuddy(title);
    auto *top = new QHBoxLayout;
    top->addWidget(titleLabel);
    top->addWidget(title);
    top->addStretch();

    // The numbered script, in a fixed-pitch font so filter arguments line up; long lines scroll
    // sideways rather than wrap, so every row stays one script line.
    auto *listing = b.bind(new QPlainTextEdit(this), Id::Listing);
    listing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    listing->setLineWrapMode(QPlainTextEdit::NoWrap);
    listing->setMinimumHeight(listing->fontMetrics().lineSpacing() * 12);

    // The line to insert and where it goes.
    auto *lineList = b.bind(new QComboBox(this), Id::LineList);
    lineList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lineList->setMinimumContentsLength(3);
    auto *lineLabel = b.bind(new QLabel(this), Id::LineLabel);
    lineLabel->setBuddy(lineList);
    auto *favourites = b.bind(new QComboBox(this), Id::FavouritesBox);
    favourites->setEditable(true);
    // The dialog keeps the list (sorted, with the lines inserted so far); Enter only commits.
    favourites->setInsertPolicy(QComboBox::NoInsert);
    favourites->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    favourites->setMinimumContentsLength(40);
    favourites->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *insertRow = new QHBoxLayout;
    insertRow->addWidget(lineLabel);
    insertRow->addWidget(lineList);
    insertRow->addWidget(favourites, 1);

    auto *editRow = new QHBoxLayout;
    editRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::AddLineButton)));
    editRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::RemoveLineButton)));
    editRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::AddFavouriteButton)));
    editRow->addStretch();
    editRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::ResetButton)));

    auto *scriptRow = new QHBoxLayout;
    scriptRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::TestButton)));
    scriptRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::ViewOriginalButton)));
    scriptRow->addWidget(plainButton(b.bind(new QPushButton(this), Id::RestoreButton)));
    scriptRow->addStretch();

    // Enter anywhere lands on the hidden default button, which does nothing.
    auto *defaultButton = b.bind(new QPushButton(this), Id::DefaultButton);
    defaultButton->setDefault(true);
    auto *ok = plainButton(b.bind(new QPushButton(this), Id::OkButton));
    auto *cancel = plainButton(b.bind(new QPushButton(this), Id::CancelButton));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(listing, 1);
    layout->addLayout(insertRow);
    layout->addLayout(editRow);
    layout->addLayout(scriptRow);
    layout->addLayout(buttonRow({ok, cancel}));

    ScriptEditorDialog &d = dialog;
    b.onRowSelected(Id::LineList, [&d](int row) { d.lineSelected(row); });
    b.onTextCommitted(Id::FavouritesBox, [&d](const std::string &text) { d.lineTyped(text); });
    b.onClicked(Id::AddLineButton, [&d] { d.insertClicked(); });
    b.onClicked(Id::RemoveLineButton, [&d] { d.removeClicked(); });
    b.onClicked(Id::AddFavouriteButton, [&d] { d.addFavouriteClicked(); });
    b.onClicked(Id::ResetButton, [&d] { d.resetClicked(); });
    b.onClicked(Id::TestButton, [&d] { d.testClicked(); });
    b.onClicked(Id::ViewOriginalButton, [&d] { d.viewOriginalClicked(); });
    b.onClicked(Id::RestoreButton, [&d] { d.restoreClicked(); });
    onClickedMayClose(Id::OkButton, [&d] { d.okClicked(); });
    onClickedMayClose(Id::CancelButton, [&d] { d.cancelClicked(); });

    finishLayout(ScriptEditorDialog::windowTitle, 300, 220);
}
