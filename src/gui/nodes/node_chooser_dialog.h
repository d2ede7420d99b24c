#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/widgets/message_boxes.h"
#include "core/node_choice.h"
#include "core/session.h"
#include "base/settings.h"
#include "core/nodes/node_list.h"
#include "gui/nodes/node_list_probe.h"
#include "platform/icmp_probe.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

// The node chooser: line type and node by hand from a list with measured
// delays, or a suggestion from an automatic test. Created hidden at start-up,
// shown without being modal, hidden (not destroyed) when closed.
class NodeChooserDialog : public QDialog {
    Q_OBJECT
public:
    // What the chooser needs of the main window.
    struct MainWindowHooks {
        std::function<bool()> fullRelayChecked;
        std::function<void(bool)> setFullRelay;
        std::function<void(const std::string&)> showChosenNode;
    };

    NodeChooserDialog(Session& session, NodeChoice& nodeChoice, const Settings& settings, platform::IcmpProbe& icmp,
                      MessageBoxes& messageBoxes, std::string appDir, MainWindowHooks hooks,
                      QWidget* parent = nullptr);
    ~NodeChooserDialog() override;

    // Line test threads still running (tests wait for them).
    static int lineTestsRunning();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formShow();
    void checkBox1Click();
    void radioButtonClick(int lineType, const char* note);
    void startLineTest();
    void startPendingProbe();
    void button1Click();
    NodeList loadNodes() const;

    Session& session_;
    NodeChoice& nodeChoice_;
    const Settings& settings_;
    platform::IcmpProbe& icmp_;
    MessageBoxes& messageBoxes_;
    std::string appDir_;
    MainWindowHooks hooks_;

    std::vector<std::unique_ptr<NodeListProbe>> probes_;  // latest per line type, and stopped ones until they end
    std::optional<int> pendingLineType_;

    QCheckBox* CheckBox1 = nullptr;
    QLabel* LineNote = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QLabel* Label1 = nullptr;
    QTableWidget* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
};
