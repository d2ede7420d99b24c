#pragma once

#include <QWidget>

// Borderless, always-on-top advertisement pop-up in the bottom-right corner.
class AdPopup : public QWidget {
    Q_OBJECT
public:
    explicit AdPopup(QWidget* parent = nullptr);
};
