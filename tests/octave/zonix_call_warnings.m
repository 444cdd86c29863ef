function [result, warnings] = zonix_call_warnings(varargin)
  % result = zonixmex(varargin{:}) with one output; warnings is a cell array
  % of the texts of the warnings it showed, in order (module name removed).
  args = varargin;
  output = evalc('result = zonixmex(args{:});');
  lines = strsplit(output, "\n");
  warnings = {};
  for k = 1:numel(lines)
    tok = regexp(lines{k}, '^warning: (.*)$', 'tokens', 'once');
    if ~isempty(tok) && ~strncmp(tok{1}, 'called from', 11)
      warnings{end+1} = zonix_error_text(tok{1});
    end
  end
end
