// TARN's own read-only viewer, opened where no viewer is configured: the
// text of one revision in a fixed-width font, not wrapped. It holds the
// text itself, so the revision's temporary file can go as soon as it opens.
#pragma once

#include <QPlainTextEdit>

namespace tarn::dorn {

class RevisionViewer : public QPlainTextEdit {
  Q_OBJECT

 public:
  // The window deletes itself when closed.
  RevisionViewer(const QByteArray& text, const QString& title, QWidget* parent = nullptr);

  QSize sizeHint() const override { return {820, 640}; }
};

}  // namespace tarn::dorn
