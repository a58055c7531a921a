// The start-up request: the command line (the text after the program name) read once into one
// value, which start-up, the commit flow and the command-line modes take from there.
//
// How the text is read, in this order:
// 1. The options that take a value have their values cut out before anything else is searched, so
//    that no option and no product token is ever found inside a value (a path, an address):
//    "/out:VALUE", "/trace:VALUE" and "/targets:VALUE" (option words, see 2), whose value runs to the next white space
//    or, when it starts with a quote, to the closing quote; and "ip:VALUE". In a command-line mode
//    an "ip:" value is a word too; otherwise it is the installer's given address, which runs from
//    the first "ip:" to the next "/" or ":" or the end (spaces included; only the first 255
//    characters of the command line are read for it). The values of /credentials' "user:", "auth:"
//    and "priv:" (word values) are cut out before the mode is searched, and count only for
//    /credentials.
// 2. The command-line modes' options ("/refresh", "/set", "/list", "/credentials", "clear" after
//    "/credentials", "/ipv6", "/out:", "/trace:", "/targets:") are
//    whole words, case-sensitive: they start the command line or follow a space, tab or quote, and
//    end at a space, tab, quote or the end. When more than one mode is given, the first one runs.
// 3. The installer's options ("/NoPortSelect", "/usb", "/network", "/quiet", "/mentenance") and the
//    product tokens keep their substring rule: case-sensitive text anywhere outside the values; for
//    the launch mode the later test wins (see LaunchMode).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "product/product.h"

// How the program was started (from the command line).
enum LaunchMode : int {
    AskPort = 0,       // "/NoPortSelect", or "ip:" with an address that is not valid IPv4
    UsbPort = 1,       // "/usb"
    NetworkPort = 2,   // "/network"
    GivenAddress = 3,  // a product token that takes a given address ("L835_MFP") and "ip:" with a
                       // valid IPv4 address
    Standalone = 4,    // no connection option, or a command-line mode
};

// The administrators' command-line modes (app/command_line_modes.h).
enum class CommandLineMode { None, Refresh, Set, List, Credentials };

struct StartupRequest {
    LaunchMode launchMode = Standalone;
    bool quiet = false;        // "/quiet"
    bool maintenance = false;  // "/mentenance"
    // The installer's "ip:" text as copied (at most 127 characters), when its product takes a given
    // address; it may be anything, the launch mode says whether it is a valid address.
    std::string givenAddress;

    CommandLineMode mode = CommandLineMode::None;
    bool ipv6 = false;            // "/ipv6"
    bool addressGiven = false;    // /set: an "ip:" came after "/set"
    bool addressTooLong = false;  // /set: its value has 128 characters or more
    std::string address;          // /set: the "ip:" value, unless too long
    std::string outPath;          // "/out:" value; empty when absent or 260 characters or more
    std::string tracePath;        // "/trace:" value; empty when absent or 260 characters or more
    // "/targets:LIST" (/list, /refresh): the comma-separated entries that replace DiscoveryTargets
    // at every level for this run; given with an empty list, no target is asked.
    bool targetsGiven = false;
    std::vector<std::string> targets;  // the entries as written between the commas
    // /credentials: the "user:", "auth:" and "priv:" values as given (the first of each), whether
    // each was given, and the word "clear".
    std::string credentialsUser, credentialsAuth, credentialsPriv;
    bool credentialsUserGiven = false, credentialsAuthGiven = false, credentialsPrivGiven = false;
    bool credentialsClear = false;

    // The command line with every value cut out (blanked): where the product tokens are searched.
    std::string productText;
};

// Reads a command line (null reads as empty).
StartupRequest ParseStartupRequest(const char* commandLine);

// The product the request names: a command-line mode takes it from a product token on the command
// line, else from the program's own name; a connection option (launch modes 0 to 3) from a token on
// the command line only; a start without either from the program's name only. Null when none.
const Product* RequestedProduct(const StartupRequest& request, const char* programPath);
