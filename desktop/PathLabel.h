// A line that shows a path: a path too long for the line is shortened in the middle,
// and the whole path is its tooltip and accessible description. Its accessible name is
// the text it shows, as for any label.
#pragma once

#include <QLabel>

namespace tidorax {

class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent);

    void setPath(const QString& path);
    QString path() const { return path_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPath();
    QString path_;
};

} // namespace tidorax
