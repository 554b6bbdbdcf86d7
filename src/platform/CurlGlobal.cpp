#include "platform/CurlGlobal.h"

#include <curl/curl.h>

bool CurlGlobal::initialise()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}
