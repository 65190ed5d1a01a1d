#include "frontend/revision_viewer.h"

#include <QFontDatabase>

namespace tarn::dorn {

RevisionViewer::RevisionViewer(const QByteArray& text, const QString& title, QWidget* parent)
    : QPlainTextEdit(parent) {
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setPlainText(QString::fromUtf8(text));
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

}  // namespace tarn::dorn
