// The Pearson VII density used for every folding of a yield with an energy spread:
//   P(x) = (2/G) sqrt(q/pi) Gamma(s)/Gamma(m/2) (1 + 4 q (x/G)^2)^(-s),
//   q = 2^(2/(m+1)) - 1, s = (m+1)/2,
// with FWHM G for every shape m: a Lorentzian for m = 1, tending to a Gaussian for large m.
// A width narrower than the bin width puts the whole weight into the central bin.
#pragma once

namespace dodavev {

class PearsonVII {
 public:
  // fwhm and binWidth in keV (or any common unit); shape m. A shape with |m| <= 1e-10, above
  // 100 or negative is taken as 100. The normalisation is computed here, once.
  PearsonVII(double fwhm, double shape, double binWidth);

  // Density (per unit of x) at the offset x from the centre. For a width narrower than the
  // bin width: 1/binWidth within half a bin of the centre, 0 elsewhere (0 everywhere for a
  // bin width that is not positive).
  double Density(double x) const;
  // The weight of the bin of width binWidth centred at x: Density(x) x binWidth.
  double BinWeight(double x) const { return Density(x) * binWidth_; }

  bool narrow() const { return narrow_; }
  double shape() const { return shape_; }

 private:
  double binWidth_;
  bool narrow_;
  double shape_ = 0.0;
  double peak_ = 0.0;          // density at the centre
  double reducedScale_ = 0.0;  // 2 sqrt(q) / G
  double exponent_ = 0.0;      // -s
};

}  // namespace dodavev
