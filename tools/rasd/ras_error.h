#pragma once

#include <string>

// Remote Access error numbers the dial tool reports, with the system's
// English texts.
namespace ras {

// System errors the service also answers with.
constexpr int kAccessDenied = 5;
constexpr int kInvalidHandle = 6;
constexpr int kInvalidParameter = 87;
constexpr int kBusy = 170;

constexpr int kPortNotConnected = 619;
constexpr int kCannotOpenPhonebook = 621;
constexpr int kCannotFindPhonebookEntry = 623;
constexpr int kPortDisconnected = 628;
constexpr int kRemoteDisconnection = 629;
constexpr int kUserDisconnection = 631;
constexpr int kPortNotAvailable = 633;
constexpr int kRestrictedLogonHours = 646;
constexpr int kAccountDisabled = 647;
constexpr int kLineBusy = 676;
constexpr int kNoAnswer = 678;
constexpr int kAuthenticationFailure = 691;
constexpr int kRasmanCannotInitialize = 711;
constexpr int kPppTimeout = 718;
constexpr int kPppNoProtocolsConfigured = 720;
constexpr int kPppNoResponse = 721;
constexpr int kPppLcpTerminated = 734;
constexpr int kPppNoAddressAssigned = 738;
constexpr int kNoLocalEncryption = 741;
constexpr int kNoRemoteEncryption = 742;
constexpr int kDialAlreadyInProgress = 756;
constexpr int kVpnConnectionFailed = 800;
constexpr int kServerNameNotResolved = 868;

// The text of an error number; "Unknown error." for one not in the table.
std::string errorText(int code);
// "Remote Access error NNN - <text>"
std::string errorLine(int code);

} // namespace ras
