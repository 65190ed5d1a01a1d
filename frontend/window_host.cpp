#include "frontend/window_host.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "frontend/front_text.h"
#include "frontend/question_for_all_box.h"

namespace tarn::dorn {
namespace {

// The answer buffer of the engine's question callback holds 1024 bytes.
constexpr std::size_t kAnswerBufferSize = 1023;

std::string Answer(bool yes) {
  return std::string(MessageText(yes ? msg::kWordYes.number : msg::kWordNo.number)).substr(0, kAnswerBufferSize);
}

// A box asked while the wait cursor is on shows the ordinary pointer.
class PointerWhileAsking {
 public:
  PointerWhileAsking() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~PointerWhileAsking() { QApplication::restoreOverrideCursor(); }
  PointerWhileAsking(const PointerWhileAsking&) = delete;
  PointerWhileAsking& operator=(const PointerWhileAsking&) = delete;
};

// What a Yes to the engine's question would lose, where it loses anything.
QString WhatIsLost(const QString& question) {
  // "<file> is writable. Replace it?": the text after the file name.
  const QString asked = CatalogueText(msg::kAskReplaceWritable);
  const QString tail = asked.mid(asked.indexOf(QStringLiteral("%s")) + 2);
  return question.endsWith(tail) ? CatalogueText(msg::kReplaceWritableLoss) : QString();
}

}  // namespace

WindowHost::WindowHost(QWidget* parent, std::function<void(const QString&)> showStatus)
    : parent_(parent), showStatus_(std::move(showStatus)) {}

void WindowHost::ReportMessage(std::string_view text, int kind) {
  QString kept = QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min<std::size_t>(text.size(), 511)));
  kept.replace(QLatin1Char('\r'), QLatin1Char(' '));
  kept.replace(QLatin1Char('\n'), QLatin1Char(' '));
  lastText_ = kept;
  if (kind == kStatus) {
    if (showStatus_) showStatus_(kept);
  } else if (kind == kAlert) {
    if (collecting_) {
      collected_ << kept;
    } else {
      QMessageBox::warning(parent_, QApplication::applicationName(), kept);
    }
  }
}

void WindowHost::BeginCollecting() {
  collecting_ = true;
  collected_.clear();
}

QStringList WindowHost::EndCollecting() {
  collecting_ = false;
  return std::exchange(collected_, {});
}

std::string WindowHost::AskQuestion() {
  if (operationRunning_) {
    if (!answerForAll_) answer_ = AskForAll();
  } else {
    // Return alone must not replace or lose anything: No is the default.
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), lastText_,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::No);
    box.setInformativeText(WhatIsLost(lastText_));
    answer_ = Answer(box.exec() == QMessageBox::Yes);
  }
  if (answer_ == Answer(false)) declined_ = true;
  return answer_;
}

std::string WindowHost::AskForAll() {
  PointerWhileAsking pointer;
  QuestionForAllBox box(lastText_, parent_);
  box.setInformativeText(WhatIsLost(lastText_));
  box.exec();
  using Choice = QuestionForAllBox::Choice;
  const Choice chosen = box.Chosen();
  answerForAll_ = chosen == Choice::kYesToAll || chosen == Choice::kNoToAll;
  return Answer(chosen == Choice::kYes || chosen == Choice::kYesToAll);
}

void WindowHost::Step() {
  if (!waitCursor_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
  }
  const QString working = CatalogueText(msg::kWorking);
  if (showStatus_) showStatus_(working.left(progressLength_));
  progressLength_ = progressLength_ >= 17 ? 0 : progressLength_ + 1;
  QApplication::processEvents();
}

void WindowHost::Finished() {
  if (showStatus_) showStatus_(QStringLiteral("   "));
  if (waitCursor_) {
    QApplication::restoreOverrideCursor();
    waitCursor_ = false;
  }
}

void WindowHost::BeginRun(bool asksForAll) {
  runBusy_ = true;
  operationRunning_ = asksForAll;
  answerForAll_ = false;
}

void WindowHost::EndRun() {
  runBusy_ = false;
  operationRunning_ = false;
  answerForAll_ = false;
  ShowFileProgress(0, 0);
}

void WindowHost::SetFileProgressDisplay(std::function<void(int, int)> display) {
  fileProgress_ = std::move(display);
}

void WindowHost::ShowFileProgress(int done, int total) {
  if (fileProgress_) fileProgress_(done, total);
}

}  // namespace tarn::dorn
