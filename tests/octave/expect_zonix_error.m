function expect_zonix_error(id, text, nout, varargin)
  % Calls zonixmex(varargin{:}) asking for nout outputs and checks that it
  % raises the error with identifier id and message text.
  try
    if nout == 0
      zonixmex(varargin{:});
    else
      out = cell(1, nout);
      [out{:}] = zonixmex(varargin{:});
    end
  catch err
    assert(strcmp(err.identifier, id), ...
           'expected error id "%s", got "%s" (message "%s")', ...
           id, err.identifier, err.message);
    got = zonix_error_text(err.message);
    assert(strcmp(got, text), ...
           'error %s: expected message "%s", got "%s"', id, text, got);
    return;
  end
  error('zonix_test:noError', 'expected error %s ("%s"), but the call succeeded', ...
        id, text);
end
