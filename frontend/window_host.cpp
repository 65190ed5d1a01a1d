#include "frontend/window_host.h"

#include <QApplication>
#include <QMessageBox>

#include "frontend/front_text.h"

namespace tarn::dorn {

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
    QMessageBox::warning(parent_, QApplication::applicationName(), kept);
  }
}

std::string WindowHost::AskQuestion() {
  const auto answer = QMessageBox::question(parent_, QApplication::applicationName(), lastText_,
                                            QMessageBox::Yes | QMessageBox::No);
  return MessageText(answer == QMessageBox::Yes ? msg::kWordYes.number : msg::kWordNo.number);
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

}  // namespace tarn::dorn
