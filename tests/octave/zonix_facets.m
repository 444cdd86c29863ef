function F = zonix_facets(H, scale)
  % Rows of [A B] scaled to largest |entry| 1, rounded to 1/scale, sorted.
  if nargin < 2, scale = 1e9; end
  F = [H.A H.B];
  F = sortrows(round(scale * F ./ max(abs(F), [], 2)) / scale);
end
