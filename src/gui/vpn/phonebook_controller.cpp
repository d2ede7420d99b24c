#include "gui/vpn/phonebook_controller.h"

#include <QCheckBox>
#include <QLabel>

#include "core/vpn/phonebook.h"
#include "core/vpn/phonebook_choice.h"
#include "gui/client_context.h"
#include "gui/connection/connection_page.h"

PhonebookController::PhonebookController(ClientContext& ctx, ConnectionPage& page, QObject* parent)
    : QObject(parent)
    , ctx_(ctx)
    , page_(page)
{
    // Runs on every change of the box, also when the program makes it.
    connect(page_.IsServer, &QCheckBox::toggled, this, &PhonebookController::isServerClick);
}

void PhonebookController::prepareAtStartup(int mode)
{
    prepareForMode(mode, mode == 2);
}

void PhonebookController::restoreFullRelay(int savedLineType)
{
    if (savedLineType == 3)
        setFullRelay(true);
    // Checking the box runs its handler; leaving it unchecked runs nothing.
    page_.IsServer->setChecked(ctx_.settings.isServer());
}

void PhonebookController::prepareForMode(int mode, bool showAndStore)
{
    const std::string versionName = windowsVersionName(ctx_.services.osInfo->version());
    const PhonebookChoice choice = choosePhonebook(mode, versionName);
    ctx_.session.entryName = choice.entryName;
    if (showAndStore) {
        page_.Linkmodev->setText(QString::fromStdString(choice.modeLabel));
        ctx_.settings.setMode(choice.storedMode);
    }
    const PreparedPhonebook written
        = preparePhonebook(mode, versionName, ctx_.config.paths.tempDir, *ctx_.services.systemPaths);
    ctx_.session.phonebookPath = written.phonebookPath;
}

void PhonebookController::applyConnectionMode(int mode)
{
    try {
        prepareForMode(mode, true);
        setFullRelay(page_.IsServer->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(ctx_, e);
    }
}

void PhonebookController::setFullRelay(bool on)
{
    ::setFullRelay(ctx_.session.entryName, ctx_.session.phonebookPath, on);
}

bool PhonebookController::fullRelayChecked() const
{
    return page_.IsServer->isChecked();
}

void PhonebookController::isServerClick()
{
    try {
        setFullRelay(page_.IsServer->isChecked());
        ctx_.settings.setIsServer(page_.IsServer->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(ctx_, e);
    }
}
