function text = zonix_error_text(message)
  % The message as the module wrote it.  Octave puts the name of the MEX
  % function in front of errors and warnings raised from it; MATLAB does not.
  text = regexprep(message, '^zonixmex: ', '');
end
