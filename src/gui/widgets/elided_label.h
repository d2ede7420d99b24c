#pragma once

#include <QLabel>

// A one-line label that keeps its whole text (text() is what was set) but
// draws what does not fit as "…", and then shows the whole text as its tip.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as drawn in the label's current width and font.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
