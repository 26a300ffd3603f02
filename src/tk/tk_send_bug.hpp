// Offers a bug report to the user's mail program. Never raises.
#pragma once

#include <string>

// The support mailbox that receives bug reports.
inline constexpr const char* tk_support_mailbox = "support@tolvane.example";

// The mailto: URL for a report with the subject "Bug report on <subject_tail>".
std::string tk_bug_report_url(const std::string& subject_tail, const std::string& body);

// Hands the report to xdg-email (or xdg-open) when one is installed.
void tk_send_bug(const std::string& subject_tail, const std::string& body) noexcept;
