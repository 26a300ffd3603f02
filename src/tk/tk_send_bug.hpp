// Offers a bug report to the user's mail program. Never raises.
#pragma once

#include <string>

// The support mailbox that receives bug reports.
inline constexpr const char* tk_support_mailbox = "support@tolvane.example";

// The mailto: URL for a report with the subject "Bug report on <subject_tail>".
std::string tk_bug_report_url(const std::string& subject_tail, const std::string& body);

// Hands a mailto: URL to the user's mail program (xdg-email or xdg-open; the
// program Windows has for mailto:); false when none takes it.
bool tk_open_mail_url(const std::string& url);

// Hands the report to the user's mail program when there is one.
void tk_send_bug(const std::string& subject_tail, const std::string& body) noexcept;
