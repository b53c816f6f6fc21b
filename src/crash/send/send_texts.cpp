#include "crash/send/send_texts.h"

#include "crash/send/mail_addresses.h"

namespace roadsum {
namespace {

class ReportVariables final : public TextVariables {
public:
    explicit ReportVariables(const ReportTexts& report) : report_(report) {}
    std::optional<std::string> value(TextVariable variable) const override {
        switch (variable) {
            case TextVariable::ExceptClass: return report_.exception_class;
            case TextVariable::ExceptMsg:
                return report_.exception_message.empty() ? std::string("Unknown") : report_.exception_message;
            case TextVariable::BugReport: return report_.report;
            default: return std::nullopt;
        }
    }

private:
    const ReportTexts& report_;
};

}  // namespace

std::string sender_address(const INXSettings& settings) {
    if (std::string from = settings.Get(keys::MailFrom); !from.empty()) return from;
    const auto recipients = address_items(settings.Get(keys::MailAddr));
    if (recipients.empty()) return {};
    return "noxExcept " + envelope_address(recipients.front());
}

std::string expand_report_variables(std::string_view text, const ReportTexts& report) {
    return expand_text_variables(text, ReportVariables(report));
}

std::string mail_subject(const INXSettings& settings, const ReportTexts& report) {
    return expand_report_variables(settings.Get(keys::MailSubj), report);
}

std::string mail_body(const INXSettings& settings, const ReportTexts& report) {
    return expand_report_variables(settings.Get(keys::MailBody), report);
}

}  // namespace roadsum
