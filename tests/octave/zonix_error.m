function [id, msg] = zonix_error(nout, varargin)
  % Identifier and text of the error of zonixmex(varargin{:}) called for
  % nout outputs; both '' when the call returns.  Octave puts the module's
  % name in front of the text; MATLAB does not.
  id = '';
  msg = '';
  try
    if nout == 0
      zonixmex(varargin{:});
    else
      out = cell(1, nout);
      [out{:}] = zonixmex(varargin{:});
    end
  catch err
    id = err.identifier;
    msg = regexprep(err.message, '^zonixmex: ', '');
  end
end
