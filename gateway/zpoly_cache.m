classdef zpoly_cache < handle
  % ZPOLY_CACHE  What a zpoly has computed about its set: shared by the
  % copies of one zpoly, which all stand for the same set, so a value class
  % can still remember work done through any of them.
  properties
    hmin = [];   % minimal H form: struct A, b, Ae, be
    vmin = [];   % minimal V form: struct V, R, L
    empty = [];  % true or false once known
  end
end
