#include "tools/rasd/ras_error.h"

namespace ras {

std::string errorText(int code)
{
    switch (code) {
    case kAccessDenied:
        return "Access is denied.";
    case kInvalidHandle:
        return "The handle is invalid.";
    case kInvalidParameter:
        return "The parameter is incorrect.";
    case kBusy:
        return "The requested resource is in use.";
    case kPortNotConnected:
        return "A connection to the remote computer could not be established, so the port used for this "
               "connection was closed.";
    case kCannotOpenPhonebook:
        return "The system could not open the phone book file.";
    case kCannotFindPhonebookEntry:
        return "The system could not find the phone book entry for this connection.";
    case kPortDisconnected:
        return "The connection was terminated by the remote computer before it could be completed.";
    case kRemoteDisconnection:
        return "The connection was closed by the remote computer.";
    case kUserDisconnection:
        return "The port was disconnected by the user.";
    case kPortNotAvailable:
        return "The modem (or other connecting device) is already in use or is not configured properly.";
    case kRestrictedLogonHours:
        return "The account is not permitted to log on at this time of day.";
    case kAccountDisabled:
        return "The account is disabled.";
    case kLineBusy:
        return "The phone line is busy.";
    case kNoAnswer:
        return "There was no answer.";
    case kAuthenticationFailure:
        return "Access was denied because the username and/or password was invalid on the domain.";
    case kRasmanCannotInitialize:
        return "The Remote Access Connection Manager service could not start.";
    case kPppTimeout:
        return "The connection was terminated because the remote computer did not respond in a timely "
               "manner.";
    case kPppNoProtocolsConfigured:
        return "A connection to the remote computer could not be established. You might need to change the "
               "network settings for this connection.";
    case kPppNoResponse:
        return "The remote computer did not respond.";
    case kPppLcpTerminated:
        return "The PPP link control protocol was terminated.";
    case kPppNoAddressAssigned:
        return "The server did not assign an address.";
    case kNoLocalEncryption:
        return "The local computer does not support the required data encryption type.";
    case kNoRemoteEncryption:
        return "The remote computer does not support the required data encryption type.";
    case kDialAlreadyInProgress:
        return "This connection is already being dialed.";
    case kVpnConnectionFailed:
        return "Unable to establish the VPN connection. The VPN server may be unreachable, or security "
               "parameters may not be configured properly for this connection.";
    case kServerNameNotResolved:
        return "The remote connection was not made because the name of the remote access server did not "
               "resolve.";
    default:
        return "Unknown error.";
    }
}

std::string errorLine(int code)
{
    return "Remote Access error " + std::to_string(code) + " - " + errorText(code);
}

} // namespace ras
