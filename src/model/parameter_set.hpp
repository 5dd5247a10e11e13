// Every input of a calculation, as the texts and switches the user edits, and the
// numeric values "OK" (Button5Click) derives from them.
//
// Inputs carry the names of their controls (`Edit1_e0`, `CheckMS`, `RadioButton_ZBL2003`);
// the numeric fields carry the control name without "Edit1_" (`e0`, `th`, `dex`). Units
// inside: keV, micron, degrees (turned into radians only inside a running calculation),
// mm for slits and distances, msr for the solid angle, 1e22 at/cm3 for densities.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/data_file_registry.hpp"

namespace dodavev {

// The texts and switches exactly as the user (or a parameter file) left them. Nothing here
// is validated; "OK" converts them into ParameterValues.
//
// Radio buttons come in pairs of which exactly one is checked; whoever sets one must clear
// its partner (SelectRadio below). Multi-line texts separate their lines with "\n".
struct ParameterInputs {
  // Beam page.
  std::string Edit1_e0 = "3100";           // keV, incident energy
  std::string Edit1_z1 = "2";              // atomic number of the incident ion
  std::string Edit1_m1 = "4";              // mass number of the incident ion
  std::string Edit1_chargestate_in = "2";  // charge state of the incident ions
  std::string Edit1_a = "80";              // deg, beam to sample surface
  std::string Edit1_q1 = "8";              // microC, dose
  std::string Edit1_bes = "1";             // keV, beam energy spread
  std::string Edit1_asb = "0.0458";        // deg, beam angular spread
  bool RadioButton1 = false;               // beam slit "Circular"
  bool RadioButton2 = true;                // beam slit "Rectangular"
  std::string Edit1_diam = "1";            // mm, circular slit diameter
  std::string Edit1_r = "0.5";             // mm, rectangular slit width
  std::string Edit1_leng = "0.5";          // mm, slit length

  // Sample page.
  std::string Edit1_temperature = "300";  // K
  std::string Edit1_monothick = "0";      // at/cm2, monolayer thickness; 0 = amorphous
  std::string richedit1 = "S=\nn=9.64e22\nc,1\nsi,1\n";  // sample layer text
  std::string samplefile = "Samplefile";  // label: name of the loaded sample layer file

  // Detection page.
  std::string Edit1_z2 = "2";               // atomic number of the detected ion
  std::string Edit1_m2 = "4";               // mass number of the detected ion
  std::string Edit1_chargestate_out = "2";  // charge state of the detected ions
  std::string Edit1_th = "165";             // deg, scattering (detection) angle
  std::string Edit1_d = "100";              // mm, detector - target distance
  bool RadioButton3 = true;                 // detector diaphragm "Circular"
  bool RadioButton4 = false;                // detector diaphragm "Rectangular"
  std::string Edit1_detdia = "8";           // mm, circular diaphragm diameter
  std::string Edit1_ss = "8.4";             // mm, rectangular diaphragm width
  std::string Edit1_hossz = "6";            // mm, rectangular diaphragm length
  std::string Label35;                      // solid angle shown after "OK", msr
  bool RadioButton5 = false;                // detector position "IBM"
  bool RadioButton6 = true;                 // detector position "CORNELL"
  std::string Edit1_ho = "0";               // micron, absorber foil inhomogeneity
  std::string RichEdit2;                    // absorber foil layer text
  std::string Absorbensfile;                // label: name of the loaded absorber file
  std::string Edit1_detkevch = "7.03";      // keV/channel, calibration slope
  std::string Edit1_dete0 = "185.88";       // keV, calibration offset
  std::string Edit1_detres0 = "16";         // detector resolution a0 + a1 E^a2 + a3 E^a4
  std::string Edit1_detres1 = "0";
  std::string Edit1_detres2 = "1";
  std::string Edit1_detres3 = "0";
  std::string Edit1_detres4 = "1";

  // Reactions page.
  std::string Edit1_target = "c";                // symbol of the target element
  std::string Edit1_mt = "12";                   // its mass number
  std::string Edit1_qm = "0";                    // MeV, ground-state Q-value
  std::string Edit1_level = "0";                 // excitation level number
  std::string Edit1_c3 = "1";                    // isotopic abundance
  std::string Edit1_er = "4260";                 // keV, resonance energy
  std::string Edit1_fwhm = "20";                 // keV, resonance width
  std::string Edit1_rezmin = "4190";             // keV, excitation curve from
  std::string Edit1_rezmax = "4350";             // keV, excitation curve to
  std::string Edit1_estep = "10";                // keV, excitation curve step
  std::string Edit1_depthmax = "6";              // micron, maximum depth
  std::string Edit1_x = "0.05";                  // micron, depth step
  std::string Edit1_thr = "150";                 // keV, threshold energy
  std::string Edit1_x_corr = "0";                // at/cm2, "corr.X"
  std::string Label_reaction = "28Si(4He,4He)";  // written by the reaction identification
  std::string Label_iba = "RBS";                 // analysis kind shown
  std::string Label_given_target = "28Si";       // target isotope shown on "Simulation"

  // Options page: energy-spread contributions and corrections.
  bool CheckAll = true;
  bool CheckGeo = true;
  bool CheckStraggling = true;
  bool CheckChu = true;
  bool CheckYang = true;
  bool CheckMS = true;
  bool CheckDoppler = true;
  bool CheckBeam = true;
  bool CheckDet = true;
  bool CheckNothing = false;
  bool Checktschalar = true;
  bool CheckKinematic = false;   // magnetic spectrograph, in the scattering plane
  bool CheckKinematic2 = false;  // magnetic spectrograph, perpendicular plane
  bool CheckMS_max = false;      // lateral spread correction; set only by the master switches

  // Optimisation page.
  std::string Edit1_theta_min = "10";  // deg
  std::string Edit1_theta_max = "10";  // deg
  std::string Edit1_Alfa_min = "0";    // deg
  std::string Edit1_step_deg = "2";    // deg
  std::string Edit1_dex1 = "0";        // depths as multiples of the depth step
  std::string Edit1_dex2 = "2";
  std::string Edit1_dex3 = "4";
  std::string Edit1_dex4 = "6";

  // Stopping powers and Cross sections pages.
  bool RadioButton_ZBL2003 = false;  // "ZBL 2003 from files"
  bool RadioButton_ZBL92 = true;     // "ZBL '95"
  bool RadioButton_ESS_Rutherford = true;
  bool RadioButton_ESS_NonRutherford = false;
  bool RadioButton_ERD_Rutherford = true;
  bool RadioButton_ERD_NonRutherford = false;
  bool RadioButton_NRAConstans = true;         // "Constant"
  bool RadioButton_NRA_Files = false;          // "From Files"
  std::string Edit1_NRACrossConstant = "100";  // mbarn/sr
  std::string ComboBox1 = "Screening";         // "no screening" / "L'Ecuer screening"
  std::string ComboBox_HEERD_p = "He ERD for proton";
  std::string ComboBox_HEERD_d = "He ERD for deuteron";
  DataFileRegistry registry;  // the four file lists with their check marks

  // Simulation page.
  std::string Edit1_itlength = "1E17";  // at/cm2, iteration length of the simulation
  bool CheckBox1_given_target = false;  // "Only the given target isotop: "
  std::string Edit1_channels = "600";   // "number of channels" of the spectra, 1..16384
  // Measured spectrum named by the parameter file (and set by "load a new spectrum");
  // empty for none.
  std::string MeasuredSpectrumFile;

  // Options page: ZBL nuclear stopping added for hydrogen and helium ions too.
  bool CheckNuclearStopping = false;  // "nuclear stopping for H and He ions"

  // Simulation page, "Fit" group: what "spectrum fit" fits ("thickness 1, amount 2 Si,
  // calibration, resolution, dose"; empty: nothing) and over which channels ("first last").
  std::string Edit1_fit_parameters;
  std::string Edit1_fit_channels;

  bool operator==(const ParameterInputs&) const = default;
};

// Numeric values after "OK". They start at the values of the default texts. A field whose
// text has a format error takes its default value (and "OK" reports the error).
struct ParameterValues {
  // Beam.
  double e0 = 3100.0;   // keV
  std::int32_t z1 = 2;  // set by the reaction identification
  double m1 = 4.0;      // set by the reaction identification
  std::int32_t chargestate_in = 2;
  double a = 80.0;           // deg (radians while a calculation runs)
  double q1 = 8.0;           // microC
  double bes = 1.0;          // keV
  double asb = 0.0458;       // deg
  char beam_shape = 'R';     // 'C' circular, 'R' rectangular
  double beam_width = 0.5;   // mm, diameter or width
  double beam_length = 0.5;  // mm

  // Sample.
  double temperature = 300.0;  // K
  double monothick = 0.0;      // at/cm2

  // Detection.
  std::int32_t z2 = 2;  // set by the reaction identification
  double m2 = 4.0;      // set by the reaction identification
  std::int32_t chargestate_out = 2;
  double th = 165.0;         // deg, set by the reaction identification
  double d = 100.0;          // mm
  char det_shape = 'C';      // 'C' circular, 'R' rectangular
  double det_width = 8.0;    // mm, diameter or width
  double det_length = 8.0;   // mm, equal to the diameter when circular
  double solid_angle = 0.0;  // msr, derived by "OK"
  char geometry = 'C';       // 'I' IBM, 'C' Cornell
  double ho = 0.0;           // micron
  double detkevch = 7.03;    // keV/channel
  double dete0 = 185.88;     // keV
  double detres0 = 16.0;
  double detres1 = 0.0;
  double detres2 = 1.0;
  double detres3 = 0.0;
  double detres4 = 1.0;

  // Reactions.
  std::string target = "c";  // set by the reaction identification
  double mt = 12.0;          // set by the reaction identification
  double qm = 0.0;           // MeV, set by the reaction identification
  std::int32_t level = 0;    // set by the reaction identification
  double c3 = 1.0;
  double er = 4260.0;         // keV
  double fwhm = 20.0;         // keV
  double rezmin = 4190.0;     // keV
  double rezmax = 4350.0;     // keV
  double estep = 10.0;        // keV
  double depthmax = 6.0;      // micron
  double x = 0.05;            // micron, depth step
  double thr = 150.0;         // keV
  double x_corr = 0.0;        // at/cm2
  std::int32_t kin_sign = 1;  // sign of the root in the kinematics; "OK" sets +1

  // Optimisation.
  double theta_min = 10.0;  // deg
  double theta_max = 10.0;  // deg
  double Alfa_min = 0.0;    // deg
  double step_deg = 2.0;    // deg
  // Typed as multiples of the depth step; after "OK" in nm.
  std::array<double, 4> dex{0.0, 100.0, 200.0, 300.0};

  // Cross sections and simulation.
  double NRACrossConstant = 100.0;  // mbarn/sr
  double itlength = 1e17;           // at/cm2
  std::int32_t channels = 600;      // detector channels of the spectra
};

struct ParameterSet : ParameterInputs, ParameterValues {};

// Checks `chosen` and clears its partner of the same radio group.
inline void SelectRadio(bool& chosen, bool& partner) {
  chosen = true;
  partner = false;
}

}  // namespace dodavev
