// The option pages of the configuration window, one class per settings file, each a table of
// its options (see option_page.h) with the page's own rules.
#pragma once

#include <optional>

#include "profiles/mail_handler.h"
#include "profiles/option_page.h"

namespace velmora::profiles {

inline constexpr const char* kIndexErrorOnChange = "Index Error 5054";
inline constexpr const char* kIndexErrorOnApply = "Index Error 5073";
inline constexpr const char* kStartupSoundFile = "startup.wav";
inline constexpr const char* kTestStartupCaption = "&Test Startup";
inline constexpr const char* kTestVerificationCaption = "&Test Verification";

// The colour drop-downs offer the named colours.
const std::vector<std::string>& colourChoiceNames();

// "Retrieve (POP3)": the Messages button's mode follows the delete and size choices; a size
// limit outside the list resets to "Disabled" with a beep and "Index Error 5054"; the lightbar
// samples show the system selection colours while "Default window lightbar color" is set.
class RetrievePage final : public OptionPage {
  public:
    explicit RetrievePage(Settings& settings);
    // The Messages button's hint for the current choices.
    std::string messagesButtonHint() const;
    // The warning a size limit read from the file outside the list gives when it is applied.
    void reportSizeLimitReset();

  private:
    void afterChange(const std::string& id) override;
};

class SendPage final : public OptionPage {
  public:
    explicit SendPage(Settings& settings);
};

// "Compose": the keyword button puts the chosen keyword ("%FIRSTNAME%") at the end of the
// greeting.
class ComposePage final : public OptionPage {
  public:
    explicit ComposePage(Settings& settings);
    void click(const std::string& id) override;
};

class ReadPage final : public OptionPage {
  public:
    explicit ReadPage(Settings& settings);
};

// "Reply": the indent character is enabled only while "Include original message" is set.
class ReplyPage final : public OptionPage {
  public:
    explicit ReplyPage(Settings& settings);
    void click(const std::string& id) override;
};

// "Misc": the notification options are enabled only while "Notify" is set; the interval's unit
// reads "minute" or "minutes".
class MiscPage final : public OptionPage {
  public:
    explicit MiscPage(Settings& settings);
    std::string suffix(const std::string& id) const override;
};

// "Other": the default mail program switch, the beep when "Quiet keyboard" is cleared, the
// sound test button (for the sound field clicked last), the start-up sound copied to
// "startup.wav" when the page is left, and the DNS server checked to be a dotted IPv4 address.
class OtherPage final : public OptionPage {
  public:
    OtherPage(Settings& settings, MailHandlerRegistry& registry);
    std::string caption(const std::string& id) const override;
    void click(const std::string& id) override;
    void fieldClicked(const std::string& id) override;
    void enter() override;
    void leave() override;

  private:
    void afterChange(const std::string& id) override;
    void copyStartupSound();

    MailHandlerRegistry& registry_;
    std::optional<std::string> startupSoundAtEnter_;
    std::string dnsServerAtEnter_;
};

class GuiPage final : public OptionPage {
  public:
    explicit GuiPage(Settings& settings);
};

// True for a dotted IPv4 address ("192.0.2.53").
bool isDottedIpv4(const std::string& text);

}  // namespace velmora::profiles
