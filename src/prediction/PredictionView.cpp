#include "prediction/PredictionView.h"

#include "platform/PathMapper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using Id = PredictionDialog::Id;

namespace {

DialogResult dialogResult(PredictionDialog::Result result)
{
    switch (result) {
    case PredictionDialog::Result::Open: return DialogResult::Open;
    case PredictionDialog::Result::Save: return DialogResult::Ok;
    case PredictionDialog::Result::Cancel: return DialogResult::Cancel;
    }
    return DialogResult::Open;
}

QWidget *widgetFor(int id, QWidget *parent)
{
    switch (id) {
    case Id::OptionsGroup:
    case Id::ProgressGroup: return new QGroupBox(parent);
    case Id::SampleSizeEdit:
    case Id::ParallelEncodersEdit:
    case Id::SafetyMarginEdit:
    case Id::GopsPerRangeEdit: return new QLineEdit(parent);
    case Id::DoublePassBox:
    case Id::MinimizedBox: return new QCheckBox(parent);
    case Id::SegmentList: return new QComboBox(parent);
    case Id::LogBox: {
        auto *log = new QPlainTextEdit(parent);
        log->setLineWrapMode(QPlainTextEdit::NoWrap);
        log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return log;
    }
    case Id::PredictButton:
    case Id::CheckQualityButton:
    case Id::CancelButton:
    case Id::SaveButton: {
        auto *button = new QPushButton(parent);
        button->setAutoDefault(false);
        button->setDefault(id == Id::PredictButton);
        return button;
    }
    default: {
        auto *label = new QLabel(parent);
        const bool rightAligned =
            id == Id::SampleSizeLabel || id == Id::SafetyMarginLabel || id == Id::GopsPerRangeLabel
            || id == Id::ParallelEncodersLabel;
        label->setAlignment((rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        return label;
    }
    }
}

} // namespace

PredictionView::PredictionView(PredictionDialog &dialog, QWidget *parent)
    : DialogView([&dialog] { return dialog.controls(); }, [&dialog] { return dialogResult(dialog.result()); },
                 [&dialog] { dialog.cancelClicked(); }, parent)
    , m_dialog(dialog)
    , m_ticker(new QTimer(this))
{
    setObjectName("prediction");
    ControlBinder &b = binder();

    // Every control at its place in dialog units. A drop-down's height is that of its open
    // list; closed, it takes the height of an edit.
    const int unitHeight = fontMetrics().height();
    const auto pixelsDown = [unitHeight](int y) { return (y * unitHeight + 4) / 8; };
    for (const PredictionDialog::Place &place : PredictionDialog::layout()) {
        QWidget *widget = b.bind(widgetFor(place.id, this), place.id);
        const int height = place.id == Id::SegmentList ? 14 : place.height;
        widget->setGeometry(dialogLayout::horizontalUnits(*this, place.x), pixelsDown(place.y),
                            dialogLayout::horizontalUnits(*this, place.width),
                            std::max(pixelsDown(height), widget->minimumSizeHint().height()));
    }
    // The groups under the controls they frame.
    control(Id::OptionsGroup)->lower();
    control(Id::ProgressGroup)->lower();

    PredictionDialog &d = dialog;
    b.onTextEdited(Id::SampleSizeEdit, [&d](const std::string &text) { d.sampleSizeTyped(text); });
    b.onTextEdited(Id::SafetyMarginEdit, [&d](const std::string &text) { d.safetyMarginTyped(text); });
    b.onTextEdited(Id::GopsPerRangeEdit, [&d](const std::string &text) { d.gopsPerRangeTyped(text); });
    b.onTextEdited(Id::ParallelEncodersEdit, [&d](const std::string &text) { d.parallelEncodersTyped(text); });
    b.onChecked(Id::DoublePassBox, [&d](bool checked) { d.doublePassClicked(checked); });
    b.onChecked(Id::MinimizedBox, [&d](bool checked) { d.encodeMinimizedClicked(checked); });
    b.onRowSelected(Id::SegmentList, [&d](int row) { d.entrySelected(row); });
    b.onClicked(Id::CheckQualityButton, [&d] { d.checkQualityClicked(); });
    b.onClicked(Id::PredictButton, [this] {
        if (m_dialog.predictClicked()) {
            m_ticker->start();
            continueRun();
        } else if (QWidget *field = control(m_dialog.focusControl())) {
            field->setFocus();
        }
    });
    // Cancel closes; while a run lasts it is Abort, which the run heeds once the encoder ended.
    onClickedMayClose(Id::CancelButton, [&d] { d.cancelClicked(); });
    onClickedMayClose(Id::SaveButton, [&d] { d.saveClicked(); });

    m_ticker->setInterval(1000);
    connect(m_ticker, &QTimer::timeout, this, [this] { render(); });

    finishLayout(PredictionDialog::title, PredictionDialog::width, PredictionDialog::height);
    // A font wider than the one the window was drawn for must not clip a caption: the label
    // grows towards the side it is not aligned to.
    for (QLabel *label : findChildren<QLabel *>()) {
        QRect rect = label->geometry();
        const int needed = label->sizeHint().width();
        if (needed <= rect.width())
            continue;
        if (label->alignment() & Qt::AlignRight)
            rect.setLeft(rect.right() + 1 - needed);
        else
            rect.setWidth(needed);
        label->setGeometry(rect);
    }
    setFixedSize(size());
}

PredictionView::~PredictionView()
{
    for (const std::unique_ptr<QProcess> &process : m_encoders) {
        if (process && process->state() != QProcess::NotRunning) {
            process->disconnect(this);
            process->waitForFinished(-1);
        }
    }
}

QProcess &PredictionView::encoder(int lane)
{
    if (std::size_t(lane) >= m_encoders.size())
        m_encoders.resize(std::size_t(lane) + 1);
    std::unique_ptr<QProcess> &process = m_encoders[std::size_t(lane)];
    if (!process) {
        process = std::make_unique<QProcess>();
        connect(process.get(), &QProcess::finished, this,
                [this, lane] { binder().run([this, lane] { encoderEnded(lane, Desktop::EncoderResult::Finished); }); });
        connect(process.get(), &QProcess::errorOccurred, this, [this, lane](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                binder().run([this, lane] { encoderEnded(lane, Desktop::EncoderResult::CouldNotStart); });
        });
    }
    return *process;
}

bool PredictionView::run(PredictionDialog &dialog, QWidget *parent)
{
    PredictionView view(dialog, parent);
    runChildDialog(parent, view);
    return dialog.result() == PredictionDialog::Result::Save;
}

void PredictionView::continueRun()
{
    for (;;) {
        const PredictionStep step = m_dialog.nextStep();
        switch (step.kind) {
        case PredictionStep::Kind::Log: continue; // already in the log
        // With parallel encoders the next lane may have a trial to start as well.
        case PredictionStep::Kind::RunEncoder: startEncoder(step.lane, step.encoder); continue;
        case PredictionStep::Kind::Finished: m_ticker->stop(); return;
        case PredictionStep::Kind::None:
            if (m_dialog.state() != PredictionDialog::State::Running
                && m_dialog.state() != PredictionDialog::State::AbortRequested)
                m_ticker->stop();
            return;
        }
    }
}

void PredictionView::startEncoder(int lane, const EncoderCommand &command)
{
    QProcess &process = encoder(lane);
    const ProgramStart start = wineCommand(command.program, command.arguments);
    QStringList arguments;
    for (const std::string &argument : start.arguments)
        arguments << QString::fromStdString(argument);
    process.setWorkingDirectory(QString::fromStdString(command.workingFolder));
#ifdef Q_OS_WIN
    const bool minimized = command.minimized;
    process.setCreateProcessArgumentsModifier([minimized](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    });
#endif
    // What the encoder prints is of no use here (its output file is what counts), and an
    // unread pipe would stall it.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromStdString(start.program), arguments);
}

void PredictionView::encoderEnded(int lane, Desktop::EncoderResult result)
{
    m_dialog.encoderFinished(lane, result);
    continueRun();
}
