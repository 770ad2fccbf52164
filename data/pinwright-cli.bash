# bash completion for pinwright-cli
#
# Card names and IDs and the component names come from the installed pinwright-cli itself,
# so that the completion always matches the program.

_pinwright_cli_components() {
    "$1" --help 2>/dev/null | sed -n '/components:/,/or all/p' |
        sed -e 's/.*components://' -e 's/, or all.*//' | tr -s ' \n' '\n'
    echo all
}

_pinwright_cli() {
    local cur prev words cword
    _init_completion -n = || return

    local cli=${words[0]}
    local commands="generate config show cards card check import help"
    local card_options="--cards --card"
    local record_options="--config --project --with --without --gpio0 --gpio1 --prefix0 --prefix1 $card_options"

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help -h --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    local option=$prev
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    fi

    case $option in
        --config)
            _filedir cfg
            return
            ;;
        --cards)
            _filedir -d
            return
            ;;
        --card)
            _filedir toml
            return
            ;;
        --top)
            _filedir '@(v|sv|vhd|vhdl)'
            return
            ;;
        --project | --prefix0 | --prefix1)
            return
            ;;
        --header)
            COMPREPLY=($(compgen -W "0 1" -- "$cur"))
            return
            ;;
        --hdl)
            COMPREPLY=($(compgen -W "verilog systemverilog vhdl" -- "$cur"))
            return
            ;;
        --pins)
            COMPREPLY=($(compgen -W "json csv json,csv" -- "$cur"))
            return
            ;;
        --with | --without)
            # A comma-separated list: complete the last entry.
            local done_part="" last=$cur
            if [[ $cur == *,* ]]; then
                done_part=${cur%,*},
                last=${cur##*,}
            fi
            local names
            names=$(_pinwright_cli_components "$cli")
            COMPREPLY=($(compgen -P "$done_part" -W "$names" -- "$last"))
            compopt -o nospace
            return
            ;;
        --gpio0 | --gpio1)
            # Names hold blanks and quotes, so they are matched here rather than by compgen
            # and handed back escaped; letter case does not matter to pinwright-cli.
            local id name candidate
            COMPREPLY=()
            # A card file's card ends in "  (FILE)"; the refused files follow an empty line.
            while read -r id name; do
                [[ -z $id ]] && break
                name=${name%%  (*}
                for candidate in "$id" "$name"; do
                    [[ ${candidate,,} == "${cur,,}"* ]] &&
                        COMPREPLY+=("$(printf '%q' "$candidate")")
                done
            done < <("$cli" cards 2>/dev/null)
            [[ none == "${cur,,}"* ]] && COMPREPLY+=(none)
            return
            ;;
    esac

    case $command in
        generate)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "$record_options --hdl --testbench --pins --pinout --help" -- "$cur"))
            else
                _filedir qpf
            fi
            ;;
        config)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "$record_options --force --help" -- "$cur"))
            else
                _filedir cfg
            fi
            ;;
        show)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--json --help" -- "$cur"))
            else
                _filedir cfg
            fi
            ;;
        cards)
            COMPREPLY=($(compgen -W "$card_options --help" -- "$cur"))
            ;;
        card)
            if [[ $cword -eq 2 ]]; then
                COMPREPLY=($(compgen -W "check export picture" -- "$cur"))
            elif [[ $cur == -* && ${words[2]} == picture ]]; then
                COMPREPLY=($(compgen -W "$card_options --header --force --help" -- "$cur"))
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "$card_options --help" -- "$cur"))
            elif [[ ${words[2]} == check ]]; then
                _filedir toml
            elif [[ ${words[2]} == picture && $cword -ge 4 ]]; then
                _filedir svg
            fi
            ;;
        check)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--top --json $card_options --help" -- "$cur"))
            else
                _filedir qsf
            fi
            ;;
        import)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--json --force $card_options --help" -- "$cur"))
            else
                # The first operand is the .qsf, the second the .cfg; options and their
                # values are not operands.
                local i operands=0
                for ((i = 2; i < cword; i++)); do
                    case ${words[i]} in
                        --cards | --card) ((i++)) ;;
                        -*) ;;
                        *) ((operands++)) ;;
                    esac
                done
                if ((operands == 0)); then
                    _filedir qsf
                else
                    _filedir cfg
                fi
            fi
            ;;
        help | --help | -h)
            [[ $cword -eq 2 ]] && COMPREPLY=($(compgen -W "generate config show cards card check import" -- "$cur"))
            ;;
    esac
} &&
    complete -F _pinwright_cli pinwright-cli
