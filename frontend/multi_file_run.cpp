#include "frontend/multi_file_run.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>

#include "frontend/front_text.h"
#include "frontend/window_host.h"

namespace tarn::dorn {
namespace {

// Disables the live child widgets of `parent` (its own windows aside, and
// `keep`), noting them for the way back.
void DisableChildren(QWidget* parent, const QWidget* keep, std::vector<QPointer<QWidget>>& noted) {
  if (!parent) return;
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget == keep || widget->isWindow() || !widget->isEnabled()) continue;
    widget->setEnabled(false);
    noted.emplace_back(widget);
  }
}

}  // namespace

// Esc during a run means Stop, wherever the focus is; the dialog never sees
// it (it would close itself mid-run).
class MultiFileRun::EscapeFilter : public QObject {
 public:
  explicit EscapeFilter(MultiFileRun& run) : run_(run) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress) run_.Stop();
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  MultiFileRun& run_;
};

QString MultiFileOutcome::Summary() const {
  QString text = FrontText(msg::kRunSummary, succeeded, leftAlone, static_cast<int>(failures.size()));
  if (cancelled) text += QStringLiteral("; ") + FrontText(msg::kRunStopped, notReached);
  return text;
}

MultiFileRun::MultiFileRun(QDialog& dialog, WindowHost& host, bool asksForAll)
    : dialog_(&dialog), host_(host), escape_(std::make_unique<EscapeFilter>(*this)) {
  stop_ = new QPushButton(CatalogueText(msg::kStopWord), &dialog);
  stop_->setObjectName(QStringLiteral("stop"));
  QObject::connect(stop_, &QPushButton::clicked, [this] { Stop(); });
  if (QLayout* layout = dialog.layout()) layout->addWidget(stop_);
  // The window's contents, not the window: disabling a window disables the
  // dialogs it owns, Stop with them.
  if (QWidget* window = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr) {
    DisableChildren(window, &dialog, disabled_);
  }
  DisableChildren(&dialog, stop_, disabled_);
  stop_->show();
  stop_->setFocus();
  qApp->installEventFilter(escape_.get());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  host_.BeginRun(asksForAll);
}

MultiFileRun::~MultiFileRun() {
  host_.EndRun();
  QApplication::restoreOverrideCursor();
  qApp->removeEventFilter(escape_.get());
  delete stop_.data();
  for (const QPointer<QWidget>& widget : disabled_) {
    if (widget) widget->setEnabled(true);
  }
}

void MultiFileRun::Stop() {
  stopping_ = true;
  if (stop_) stop_->setEnabled(false);
}

MultiFileOutcome MultiFileRun::Run(const std::vector<std::string>& files,
                                   const std::function<bool(const std::string&)>& each,
                                   const std::function<QString(const std::string&)>& failureText) {
  MultiFileOutcome outcome;
  outcome.total = static_cast<int>(files.size());
  for (int index = 0; index < outcome.total; ++index) {
    if (stopping_) {
      outcome.cancelled = true;
      outcome.notReached = outcome.total - index;
      break;
    }
    const std::string& file = files[static_cast<std::size_t>(index)];
    host_.ShowFileProgress(index + 1, outcome.total);
    host_.ForgetDeclined();
    host_.BeginCollecting();
    bool done = false;
    try {
      done = each(file);
    } catch (...) {
      host_.EndCollecting();
      throw;
    }
    QStringList details = host_.EndCollecting();
    if (done) {
      ++outcome.succeeded;
    } else if (host_.Declined()) {
      ++outcome.leftAlone;
    } else {
      outcome.failures.push_back({file, failureText(file), std::move(details)});
    }
    QApplication::processEvents();
  }
  outcome.allSucceeded = outcome.succeeded == outcome.total;
  if (!outcome.failures.empty()) ShowFailures(outcome);
  return outcome;
}

void MultiFileRun::ShowFailures(const MultiFileOutcome& outcome) {
  // The box is the user's to read: the ordinary pointer while it shows.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  QStringList texts;
  QStringList details;
  for (const RunFailure& failure : outcome.failures) {
    texts << failure.text;
    details << failure.text;
    for (const QString& line : failure.details) details << QStringLiteral("    ") + line;
  }
  QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                  FrontText(msg::kRunFailures, static_cast<int>(outcome.failures.size()), outcome.total),
                  QMessageBox::Ok, dialog_);
  box.setInformativeText(texts.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + outcome.Summary());
  box.setDetailedText(details.join(QLatin1Char('\n')));
  box.exec();
  QApplication::restoreOverrideCursor();
}

}  // namespace tarn::dorn
