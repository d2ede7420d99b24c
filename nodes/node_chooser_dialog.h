#pragma once

#include <QDialog>

// Node chooser: line type and node by hand, with measured delays.
class NodeChooserDialog : public QDialog {
    Q_OBJECT
public:
    explicit NodeChooserDialog(QWidget* parent = nullptr);
};
