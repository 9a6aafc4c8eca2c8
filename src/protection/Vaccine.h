#pragma once
#include <string>
#include "../settings/Settings.h"
#include "Quarantine.h"

// The vaccine against Autorun.inf: a folder AUTORUN.INF in a drive's root,
// hidden, system and read-only, holding an empty folder CON. Outside the
// "\\?\" form every path that ends in CON names the console device, so
// DeleteFile, RemoveDirectory and Explorer cannot remove that folder, nor
// the folder that holds it; while it is there no file Autorun.inf can be
// written into the root. Only the "\\?\" form reaches it, and that is how
// it is made and taken off again.

// What the root holds under the name Autorun.inf.
enum TVaccineState
{
  vsNone,        // nothing
  vsOurs,        // the vaccine above
  vsOther,       // a folder of another form: another program's vaccine, left alone
  vsAutorunFile, // a file
  vsUnreadable   // the root could not be listed
};
TVaccineState VaccineStateOf(const std::string &root);

// Why a drive never carries a vaccine ("it is a CD-ROM", ...), or empty: only
// the root of a writable volume that is neither a CD-ROM nor a network drive
// takes one, and never a shared folder.
std::string WhyNotVaccinable(const std::string &root, DriveKind kind);

enum TVaccineDeed
{
  vdNone,
  vdVaccinate,
  vdRemove
};

// What one vaccination or removal did. Report is its log entry, empty when
// nothing was done or tried; Notice tells the user, when asked by hand, why
// nothing was to be done.
struct TVaccination
{
  TVaccineDeed Deed = vdNone;
  bool ByHand = false; // the user asked for it, from the tray menu
  bool Done = false;
  bool Failed = false;
  std::string Report;
  std::string Notice;
};

// Vaccinates `root` of a drive of `kind` when it may carry a vaccine and holds
// nothing named Autorun.inf. `byHand`: the user asked, so whatever keeps it
// from being done is said; otherwise only an attempt is. The change gets a
// line in the quarantine's Origin.txt, so that it can be undone by hand.
TVaccination Vaccinate(const std::string &root, DriveKind kind, TQuarantine &quarantine, bool byHand);
// Takes off a vaccine of the form above; any other one is left alone.
TVaccination RemoveVaccine(const std::string &root, TQuarantine &quarantine);
