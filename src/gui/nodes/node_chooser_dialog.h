#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/nodes/node_list.h"
#include "gui/nodes/node_list_probe.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
struct ClientContext;
class PhonebookController;

// The node chooser: line type and node by hand from a list with measured
// delays, or a suggestion from an automatic test. Created hidden at start-up,
// shown without being modal, hidden (not destroyed) when closed.
class NodeChooserDialog : public QDialog {
    Q_OBJECT
public:
    NodeChooserDialog(ClientContext& ctx, PhonebookController& phonebook, QWidget* parent = nullptr);
    ~NodeChooserDialog() override;

    // A list probe runs or waits to start, or an automatic test runs.
    bool busy() const;

signals:
    // A node was confirmed: its name for the main window's node label.
    void nodeConfirmed(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formShow();
    void checkBox1Click();
    void radioButtonClick(int lineType, const char* note);
    void startLineTest();
    void startListProbe(int lineType);
    void button1Click();
    NodeListLoader nodeLoader() const;

    ClientContext& ctx_;
    PhonebookController& phonebook_;
    // Automatic tests still running; shared with their threads.
    std::shared_ptr<std::atomic<int>> lineTests_ = std::make_shared<std::atomic<int>>(0);

    // Passes whose end has not yet reached this dialog: the latest one and
    // stopped ones ending, by their number.
    std::vector<std::pair<unsigned, std::shared_ptr<NodeListProbe>>> probes_;
    unsigned passes_ = 0;
    // The list belongs to the latest radio choice; rows of earlier passes
    // that arrive later are dropped.
    unsigned listGeneration_ = 0;

    QCheckBox* CheckBox1 = nullptr;
    QLabel* LineNote = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QLabel* Label1 = nullptr;
    QTableWidget* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
};
