#pragma once

#include <QLabel>

// A panel's background picture, painted from a gradient instead of decoded
// from an image file: the same look, without the start-up cost of decoding a
// full-window picture.
class GradientPicture : public QLabel {
    Q_OBJECT
public:
    enum class Style { Login, Panel };
    GradientPicture(Style style, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style style_;
};
