/* The host list as the settings file keeps it: split into names, a value
 * cut by its buffer, and joined again.
 * Input: the room of the joined list (2 bytes), then the value as read. */
#include <algorithm>

#include "fakes.h"
#include "../../controller/hostlist.h"

static std::vector<std::string> Split(const char *lpsList)
{
    std::vector<std::string> v;
    char *lpsName = new char[KX_HOST_MAX + 1];      /* exactly its room */
    while (bNextHostName(&lpsList, lpsName)) {
        CheckText(lpsName, KX_HOST_MAX + 1, "szName");
        v.push_back(lpsName);
    }
    delete[] lpsName;
    return v;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    int nSize = 1 + (data[0] | data[1] << 8) % KX_HOSTLIST_SIZE;
    std::string sValue = TextOf(data + 2, size - 2);

    std::vector<std::string> names = Split(sValue.c_str());
    if (names != Tokens(sValue, KX_HOST_MAX))
        Fail("split of \"%s\" differs from the tokenizer's", sValue.c_str());

    /* The value as a buffer of nSize holds it: a cut name is dropped whole. */
    std::string sCut = sValue.substr(0, nSize - 1);
    char *lpsList = new char[nSize];
    memcpy(lpsList, sCut.c_str(), sCut.size() + 1);
    vDropCutName(lpsList, (int)sCut.size(), nSize);
    CheckText(lpsList, nSize, "lpsList");
    std::string sKept = lpsList;
    if ((int)sCut.size() < nSize - 1 ? sKept != sCut
        : sCut.compare(0, sKept.size(), sKept) != 0 || (!sKept.empty() && sKept.back() != ';')
              || sCut.find(';', sKept.size()) != std::string::npos)
        Fail("\"%s\" kept of \"%s\" in %d bytes", sKept.c_str(), sCut.c_str(), nSize);

    /* Joined again: each name that fits is kept whole with its ";", the
     * others leave the list as it was, and the list splits into the same. */
    int iLength = 0;
    std::string sJoined;
    std::vector<std::string> kept;
    lpsList[0] = '\0';
    for (const std::string &s : names) {
        bool bFits = sJoined.size() + s.size() + 1 <= (size_t)nSize - 1;
        if (bAppendHostName(lpsList, nSize, &iLength, s.c_str()) != bFits)
            Fail("\"%s\" %s a list of %d in %d bytes", s.c_str(), bFits ? "refused by" : "taken into",
                 iLength, nSize);
        if (bFits) {
            sJoined += s + ";";
            kept.push_back(s);
        }
        if (sJoined != lpsList || iLength != (int)sJoined.size())
            Fail("joined \"%s\" (%d), expected \"%s\"", lpsList, iLength, sJoined.c_str());
    }
    if (Split(lpsList) != kept)
        Fail("\"%s\" does not split into what was joined", lpsList);
    delete[] lpsList;

    /* What can be listed comes back as itself. */
    for (const std::string &s : names) {
        std::string sField = s;
        int n = iCutAtControl(&sField[0]);
        bool bListable = bIsListableHost(s.c_str());
        if (n != (int)strlen(sField.c_str()) || (bListable && (n != (int)s.size()
            || s.find(' ') != std::string::npos)))
            Fail("\"%s\": cut to %d, listable %d", s.c_str(), n, (int)bListable);
    }
    return 0;
}
