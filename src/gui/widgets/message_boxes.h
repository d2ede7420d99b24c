#pragma once

#include <string>

// Every message box of the client goes through here, so tests can read what
// would have been shown. All boxes have an OK button only.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void information(const std::string& title, const std::string& text) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void information(const std::string& title, const std::string& text) override;
};
