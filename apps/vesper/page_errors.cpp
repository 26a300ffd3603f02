#include "page_errors.hpp"

QString profile_filter() { return QString("Profile Files (*.%1);;All Files (*)").arg(profile_extension); }
