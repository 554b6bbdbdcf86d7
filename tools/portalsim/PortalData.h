#pragma once

// The simulator's made-up market: listed companies and headline templates in English and Arabic,
// and the rendering of one item as the portal's JSON row.

#include "portalsim/PortalSimulator.h"

#include <string>

namespace portalsim {

struct Company
{
    const char* symbol;
    const char* nameEN;
    const char* nameAR;
    const char* sectorEN;
};

int companyCount();
const Company& company(int index);
int issuerHeadlineCount();
int marketHeadlineCount();

// One row of "announcementList", as a JSON object text.
std::string renderItem(const Item& item, bool arabic);

// "dd/MM/yyyy HH:mm:ss" and "MMM d, yyyy h:mm:ss a" in Riyadh time (UTC+03:00).
std::string riyadhNumericDate(double unixTime);
std::string riyadhTimestamp(double unixTime);

void appendJsonString(std::string& out, const std::string& text);

} // namespace portalsim
