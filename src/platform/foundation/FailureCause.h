#pragma once

// Why something a grown-up asked for did not happen, as the downloads panel tells it in the
// family's language. The exact technical line (a URL, an HTTP status, the system's error) goes
// with it to the terminal and the debug log, in English.
enum class FailureCause {
    unknown,
    unreachable,       // no answer from the server's address
    connectionCut,     // the transfer stopped half-way
    tooSlow,           // less than the minimum rate, or not whole within the deadline
    insecureServer,    // the server's certificate is not one this machine trusts
    notOnServer,       // the server has no such pack, or no such file of it
    serverRefused,     // any other HTTP error
    damagedDownload,   // a file or the manifest did not match what was promised
    untrusted,         // not signed by a trusted publisher, or an edition that may not replace
    noSpace,           // the disk is full
    diskFailed,        // the disk refused to write or remove
    notInstalled,      // an update or a check of a pack that is not on this machine
    stillDownloading,  // a removal while the pack downloads
    playing,           // a removal while something of the pack plays
};
