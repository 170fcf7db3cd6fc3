#include "story/screens/FailureCauseText.h"

#include "platform/foundation/NSLocalizedString.h"

LocalizedText failureCauseText(FailureCause cause) {
    switch (cause) {
        case FailureCause::unreachable:
            return NSLocalizedString("The server could not be reached");
        case FailureCause::connectionCut:
            return NSLocalizedString("The connection was interrupted");
        case FailureCause::tooSlow:
            return NSLocalizedString("The connection is too slow");
        case FailureCause::insecureServer:
            return NSLocalizedString("The connection to the server is not secure");
        case FailureCause::notOnServer:
            return NSLocalizedString("This server does not have these files");
        case FailureCause::serverRefused:
            return NSLocalizedString("The server refused the download");
        case FailureCause::damagedDownload:
            return NSLocalizedString("A downloaded file was damaged");
        case FailureCause::untrusted:
            return NSLocalizedString("Not signed by a publisher this machine trusts");
        case FailureCause::noSpace:
            return NSLocalizedString("Not enough space on this disk");
        case FailureCause::diskFailed:
            return NSLocalizedString("This disk could not be written to");
        case FailureCause::notInstalled:
            return NSLocalizedString("It is not on this machine");
        case FailureCause::stillDownloading:
            return NSLocalizedString("It is still downloading");
        case FailureCause::playing:
            return NSLocalizedString("Something from it is playing");
        case FailureCause::unknown:
            break;
    }
    return NSLocalizedString("Something went wrong");
}
